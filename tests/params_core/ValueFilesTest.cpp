#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <filesystem>
#include <string>

#include "FileSizeLimit.h"
#include "support/FolderNames.h"
#include "TempDir.h"
#include "params/core/ValueFiles.h"

namespace {

using Parameters = std::array<int32_t, 400>;
using Setpoints = std::array<int32_t, 48>;

Parameters SampleParameters()
{
    Parameters values{};
    for (int n = 0; n < 400; ++n)
        values[n] = (n % 3 == 0 ? -1 : 1) * n * 1001;
    values[12] = -250;
    values[398] = INT32_MIN;
    values[399] = INT32_MAX;
    return values;
}

Setpoints SampleSetpoints()
{
    Setpoints values{};
    for (int k = 0; k < 48; ++k)
        values[k] = (k % 2 ? -1 : 1) * (k + 1) * 77;
    values[47] = INT32_MIN;
    return values;
}

// A parameter file as the program writes it, with `body` in place of the value lines.
std::string ParameterFile(const std::string& body)
{
    return "ASCII Parameters KM4x-XXX   No: 3\r\n\r\n" + body;
}

std::string ValueLines(int first, int last, char letter = 'P')
{
    std::string text;
    char line[32];
    for (int n = first; n <= last; ++n) {
        std::snprintf(line, sizeof line, "%c%03d %d\r\n", letter, n, n);
        text += line;
    }
    return text;
}

class ValueFiles : public ::testing::Test {
protected:
    // Loads `contents` as a parameter file and checks that a refusal left the table alone.
    TFileResult LoadParameters(const std::string& contents)
    {
        dir.Write("p.app", contents);
        Parameters table;
        table.fill(4711);
        const TFileResult result = LoadParameterFile(dir.File("p.app"), table);
        if (!result.Ok()) {
            for (int32_t v : table)
                EXPECT_EQ(v, 4711) << "refused file changed the table";
        }
        loaded = table;
        return result;
    }

    TempDir dir;
    Parameters loaded{};
};

TEST_F(ValueFiles, ParameterFileIsWrittenByteForByte)
{
    Parameters values{};
    values[12] = -250;
    values[1] = 7;
    ASSERT_TRUE(SaveParameterFile(dir.File("p.app"), values, 17).Ok());
    const std::string text = dir.Read("p.app");
    EXPECT_EQ(text.substr(0, 44), "ASCII Parameters KM4x-XXX   No: 17\r\n\r\nP000 0");
    EXPECT_NE(text.find("\r\nP001 7\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nP012 -250\r\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 10), "\r\nP399 0\r\n");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 402);
    EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"p.app"});
}

TEST_F(ValueFiles, ParameterRoundTripKeepsEveryValue)
{
    const Parameters values = SampleParameters();
    ASSERT_TRUE(SaveParameterFile(dir.File("p.app"), values, 31).Ok());
    Parameters back{};
    ASSERT_TRUE(LoadParameterFile(dir.File("p.app"), back).Ok());
    EXPECT_EQ(back, values);
}

TEST_F(ValueFiles, SetpointFileHas49LinesAndRoundTrips)
{
    const Setpoints values = SampleSetpoints();
    ASSERT_TRUE(SaveSetpointFile(dir.File("s.aps"), values, 0).Ok());
    const std::string text = dir.Read("s.aps");
    EXPECT_EQ(text.substr(0, 42), "ASCII Sollwerten KM4x-XXX   No: 0\r\n\r\nS000 ");
    EXPECT_NE(text.find("\r\nS001 77\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nS048 -2147483648\r\n"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 51);

    Setpoints back{};
    ASSERT_TRUE(LoadSetpointFile(dir.File("s.aps"), back).Ok());
    EXPECT_EQ(back, values);
}

TEST_F(ValueFiles, SetpointLineZeroIsReadButNotTakenOver)
{
    dir.Write("s.aps", "ASCII Sollwerten KM4x-XXX\n" + ValueLines(1, 48, 'S') + "S000 -99\n");
    Setpoints back{};
    ASSERT_TRUE(LoadSetpointFile(dir.File("s.aps"), back).Ok());
    for (int k = 0; k < 48; ++k)
        EXPECT_EQ(back[k], k + 1);
}

TEST_F(ValueFiles, LooseButSoundFilesAreAccepted)
{
    // Any order, blank lines anywhere, LF line ends, leading zeros, unit text ignored, a UTF-8 BOM.
    std::string body = "\n\n" + ValueLines(200, 399, 'P') + "\n" + ValueLines(0, 199, 'P');
    body.replace(body.find("P250 250"), 8, "P250 -0000250");
    EXPECT_TRUE(LoadParameters("\xEF\xBB\xBF" "ASCII Parameters KM4x-XXX whatever\n" + body).Ok());
    EXPECT_EQ(loaded[250], -250);
    EXPECT_EQ(loaded[0], 0);
    EXPECT_EQ(loaded[399], 399);
}

TEST_F(ValueFiles, WrongFirstLineIsOpenMsg2)
{
    for (const std::string& header : {std::string("ASCII Sollwerten KM4x-XXX   No: 0"), std::string("ASCII Parameters"),
                                      std::string(""), std::string("ascii parameters km4x-xxx")}) {
        const TFileResult r = LoadParameters(header + "\r\n\r\n" + ValueLines(0, 399));
        EXPECT_EQ(r.Error, TFileError::WrongHeader) << header;
        EXPECT_STREQ(FileErrorMessageKey(r.Error), "OpenMsg2");
    }
    EXPECT_EQ(LoadParameters("").Error, TFileError::WrongHeader);
}

TEST_F(ValueFiles, WrongNumberOfValueLinesIsOpenMsg4)
{
    TFileResult r = LoadParameters(ParameterFile(ValueLines(0, 398)));
    EXPECT_EQ(r.Error, TFileError::WrongCount);
    EXPECT_STREQ(FileErrorMessageKey(r.Error), "OpenMsg4");
    EXPECT_EQ(r.Detail, "399");
    EXPECT_EQ(LoadParameters(ParameterFile("")).Error, TFileError::WrongCount);

    // 401 lines: the extra one can only repeat a number or lie outside the range; the count decides
    // the message, and the wording names the line.
    r = LoadParameters(ParameterFile(ValueLines(0, 399) + "P000 1\r\n"));
    EXPECT_EQ(r.Error, TFileError::WrongCount);
    EXPECT_STREQ(FileErrorMessageKey(r.Error), "OpenMsg4");
    EXPECT_EQ(DescribeFileResult(r, "P"),
              "the file holds 401 value lines instead of 400 (line 403: P000 occurs a second time)");
    r = LoadParameters(ParameterFile("P400 1\r\n" + ValueLines(0, 399)));
    EXPECT_EQ(r.Error, TFileError::WrongCount);
    EXPECT_EQ(r.Line, 3);
    EXPECT_STREQ(FileErrorMessageKey(r.Error), "OpenMsg4");
    // 399 lines of which one lies outside the range: still the count.
    EXPECT_EQ(LoadParameters(ParameterFile(ValueLines(0, 397) + "P999 1\r\n")).Error, TFileError::WrongCount);
}

TEST_F(ValueFiles, BadLinesAreRefusedWithTheirLineNumber)
{
    // A line that is no value line, or whose number lies outside the range, is OpenMsg3; a number
    // or value that is no decimal integer is a conversion error for the general error message.
    struct Case {
        std::string line;
        TFileError error;
        const char* key;
    };
    const Case cases[] = {
        {"P12 5", TFileError::MalformedLine, "OpenMsg3"}, // first blank at position 4
        {" P012 5", TFileError::MalformedLine, "OpenMsg3"},
        {"P0125", TFileError::MalformedLine, "OpenMsg3"},
        {"P012\t5", TFileError::MalformedLine, "OpenMsg3"},
        {"P01a 5", TFileError::BadNumber, ""},
        {"P+12 5", TFileError::BadNumber, ""},
        {"P-12 5", TFileError::BadNumber, ""},
        {"P-00 5", TFileError::BadNumber, ""}, // three digits, nothing else
        {"X012 5", TFileError::MalformedLine, "OpenMsg3"}, // another file's letter
        {"S012 5", TFileError::MalformedLine, "OpenMsg3"},
        {"P400 5", TFileError::NumberOutOfRange, "OpenMsg3"}, // outside 0..399
        {"P999 5", TFileError::NumberOutOfRange, "OpenMsg3"},
        {"P012 1,5", TFileError::BadValue, ""},
        {"P012 +5", TFileError::BadValue, ""},
        {"P012 ", TFileError::BadValue, ""},
        {"P012 5 ", TFileError::BadValue, ""},
        {"P012 0x10", TFileError::BadValue, ""},
        {"P012 2147483648", TFileError::BadValue, ""}, // does not fit 32 bits
        {"P012 -2147483649", TFileError::BadValue, ""},
        {"P012 99999999999999999999", TFileError::BadValue, ""},
    };
    for (const Case& c : cases) {
        // The bad line replaces P012 on file line 15.
        std::string body = ValueLines(0, 11) + c.line + "\r\n" + ValueLines(13, 399);
        const TFileResult r = LoadParameters(ParameterFile(body));
        EXPECT_EQ(r.Error, c.error) << c.line;
        EXPECT_EQ(r.Line, 15) << c.line;
        EXPECT_STREQ(FileErrorMessageKey(r.Error), c.key) << c.line;
        EXPECT_NE(DescribeFileResult(r, "P").find("line 15"), std::string::npos) << c.line;
    }
}

TEST_F(ValueFiles, DuplicateNumberIsRefusedEvenWhenTheCountFits)
{
    std::string body = ValueLines(0, 399);
    body.replace(body.find("P007 7"), 6, "P006 7");
    const TFileResult r = LoadParameters(ParameterFile(body));
    EXPECT_EQ(r.Error, TFileError::DuplicateNumber);
    EXPECT_EQ(r.Number, 6);
    EXPECT_EQ(r.Line, 10);
    EXPECT_EQ(DescribeFileResult(r, "P"), "line 10: P006 occurs a second time");
}

TEST_F(ValueFiles, SetpointNumbersAbove48AreRefused)
{
    dir.Write("s.aps", "ASCII Sollwerten KM4x-XXX\r\n\r\n" + ValueLines(0, 47, 'S') + "S049 1\r\n");
    Setpoints table;
    table.fill(5);
    const TFileResult r = LoadSetpointFile(dir.File("s.aps"), table);
    EXPECT_EQ(r.Error, TFileError::NumberOutOfRange);
    EXPECT_EQ(DescribeFileResult(r, "S"), "line 51: \"S049\" is no setpoint number 000..048");
    for (int32_t v : table)
        EXPECT_EQ(v, 5);
}

TEST_F(ValueFiles, MissingFileIsOpenMsg1)
{
    Parameters table{};
    const TFileResult r = LoadParameterFile(dir.File("none.app"), table);
    EXPECT_EQ(r.Error, TFileError::CannotOpen);
    EXPECT_STREQ(FileErrorMessageKey(r.Error), "OpenMsg1");
    EXPECT_EQ(LoadParameterFile(dir.Path(), table).Error, TFileError::CannotOpen); // a directory
}

TEST_F(ValueFiles, FailedSaveLeavesThePreviousFileWhole)
{
    const std::string path = dir.File("p.app");
    ASSERT_TRUE(SaveParameterFile(path, Parameters{}, 1).Ok());
    const std::string before = dir.Read("p.app");

    // A file-size limit below the file's size makes the write fail as a full disk does.
    TFileResult r;
    {
        FileSizeLimit limit(1000);
        if (!limit.Active())
            GTEST_SKIP() << "no file-size limit on this system";
        r = SaveParameterFile(path, SampleParameters(), 2);
    }

    EXPECT_EQ(r.Error, TFileError::WriteFailed);
    EXPECT_STREQ(FileErrorMessageKey(r.Error), "");
    EXPECT_FALSE(r.Detail.empty());
    EXPECT_EQ(dir.Read("p.app"), before);
    EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"p.app"});
}

TEST_F(ValueFiles, ReadOnlyFileAndMissingDirectoryAreNotWritten)
{
    const std::string path = dir.File("ro.aps");
    ASSERT_TRUE(SaveSetpointFile(path, Setpoints{}, 1).Ok());
    const std::string before = dir.Read("ro.aps");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    EXPECT_EQ(SaveSetpointFile(path, SampleSetpoints(), 1).Error, TFileError::WriteFailed);
    EXPECT_EQ(dir.Read("ro.aps"), before);

    EXPECT_EQ(SaveSetpointFile(dir.File("no/such/dir.aps"), Setpoints{}, 1).Error, TFileError::WriteFailed);
}

} // namespace
