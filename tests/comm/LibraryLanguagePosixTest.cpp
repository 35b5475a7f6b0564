// The library's language on POSIX systems follows the locale variables of the environment.

#include "comm/ZBCompsResources.h"
#include "comm/ZBGlobal.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

TEST(LibraryLanguage, GermanWhenTheLocaleIsGerman)
{
    const char* saved[3] = {std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG")};
    const std::string keep[3] = {saved[0] ? saved[0] : "", saved[1] ? saved[1] : "", saved[2] ? saved[2] : ""};
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    setenv("LANG", "de_DE.UTF-8", 1);
    EXPECT_EQ(LibraryLanguage(), zbLangGerman);
    setenv("LC_MESSAGES", "en_GB.UTF-8", 1);
    EXPECT_EQ(LibraryLanguage(), zbLangEnglish) << "messages follow LC_MESSAGES before LANG";
    setenv("LC_ALL", "de_AT", 1);
    EXPECT_EQ(LibraryLanguage(), zbLangGerman);
    setenv("LC_ALL", "nl_NL", 1);
    EXPECT_EQ(LibraryLanguage(), zbLangEnglish);
    const char* names[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    for (int i = 0; i < 3; ++i) {
        if (saved[i])
            setenv(names[i], keep[i].c_str(), 1);
        else
            unsetenv(names[i]);
    }
}
