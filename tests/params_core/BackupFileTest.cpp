#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <filesystem>
#include <string>

#include "TempDir.h"
#include "params/core/BackupFile.h"

namespace {

using Parameters = std::array<int32_t, 400>;
using Setpoints = std::array<int32_t, 48>;

int32_t Int32At(const std::string& bytes, std::size_t offset)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<uint8_t>(bytes[offset + static_cast<std::size_t>(i)]);
    return static_cast<int32_t>(v);
}

class BackupFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int n = 0; n < 400; ++n)
            parameters[n] = n * 1000 - 123456;
        parameters[399] = INT32_MIN;
        for (int k = 0; k < 48; ++k)
            setpoints[k] = -(k + 1);
        setpoints[47] = INT32_MAX;
        ASSERT_TRUE(SaveBackupFile(dir.File("b.bak"), parameters, setpoints).Ok());
        bytes = dir.Read("b.bak");
    }

    // Loads `contents` and checks that a refusal handed nothing out.
    TFileResult Load(const std::string& contents)
    {
        dir.Write("x.bak", contents);
        Parameters p;
        p.fill(9);
        Setpoints s;
        s.fill(9);
        const TFileResult r = LoadBackupFile(dir.File("x.bak"), p, s);
        if (!r.Ok()) {
            EXPECT_EQ(std::count(p.begin(), p.end(), 9), 400);
            EXPECT_EQ(std::count(s.begin(), s.end(), 9), 48);
        }
        return r;
    }

    TempDir dir;
    Parameters parameters{};
    Setpoints setpoints{};
    std::string bytes;
};

TEST_F(BackupFile, LayoutIs16020BytesWithMarkersAndPaddedBlocks)
{
    ASSERT_EQ(bytes.size(), 16020u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x30\x41\xAB\x00\x30\x41\xAB\x00", 8));
    EXPECT_EQ(bytes.substr(16012), std::string("\x15\xCD\x5B\x07\x15\xCD\x5B\x07", 8));
    for (int n = 0; n < 400; ++n)
        ASSERT_EQ(Int32At(bytes, 8 + 4 * n), parameters[n]) << n;
    for (int n = 400; n < 2001; ++n)
        ASSERT_EQ(Int32At(bytes, 8 + 4 * n), 0) << n;
    for (int k = 0; k < 48; ++k)
        ASSERT_EQ(Int32At(bytes, 8012 + 4 * k), setpoints[k]) << k;
    for (int k = 48; k < 2000; ++k)
        ASSERT_EQ(Int32At(bytes, 8012 + 4 * k), 0) << k;
}

TEST_F(BackupFile, RoundTripKeepsEveryValue)
{
    Parameters p{};
    Setpoints s{};
    ASSERT_TRUE(LoadBackupFile(dir.File("b.bak"), p, s).Ok());
    EXPECT_EQ(p, parameters);
    EXPECT_EQ(s, setpoints);
}

TEST_F(BackupFile, ShortFileIsAReadError)
{
    const TFileResult r = Load(bytes.substr(0, 16019));
    EXPECT_EQ(r.Error, TFileError::TooShort);
    EXPECT_STREQ(FileErrorMessageKey(r.Error), "");
    EXPECT_EQ(Load("").Error, TFileError::TooShort);
}

TEST_F(BackupFile, BytesAfterTheLayoutAreRefused)
{
    for (const std::string& tail : {std::string(1, '\0'), std::string(5000, '\xff')}) {
        dir.Write("long.bak", bytes + tail);
        Parameters p{};
        Setpoints s{};
        const TFileResult r = LoadBackupFile(dir.File("long.bak"), p, s);
        EXPECT_EQ(r.Error, TFileError::TooLong) << tail.size();
        EXPECT_NE(DescribeFileResult(r, "").find("longer than 16020"), std::string::npos);
        EXPECT_EQ(p, Parameters{});
    }
}

TEST_F(BackupFile, EveryMarkerIsChecked)
{
    for (std::size_t offset : {0u, 4u, 16012u, 16016u}) {
        std::string changed = bytes;
        changed[offset + 3] = '\x01';
        const TFileResult r = Load(changed);
        EXPECT_EQ(r.Error, TFileError::WrongMarker) << offset;
        EXPECT_STREQ(FileErrorMessageKey(r.Error), "OpenMsg2");
        EXPECT_EQ(r.Detail, offset < 8 ? "start" : "end");
    }
}

TEST_F(BackupFile, MissingFileCannotBeOpened)
{
    Parameters p{};
    Setpoints s{};
    EXPECT_EQ(LoadBackupFile(dir.File("none.bak"), p, s).Error, TFileError::CannotOpen);
}

TEST_F(BackupFile, FailedSaveKeepsThePreviousBackup)
{
    std::filesystem::permissions(dir.File("b.bak"), std::filesystem::perms::owner_read);
    Parameters zero{};
    const TFileResult r = SaveBackupFile(dir.File("b.bak"), zero, setpoints);
    EXPECT_EQ(r.Error, TFileError::WriteFailed);
    EXPECT_EQ(dir.Read("b.bak"), bytes);
    EXPECT_EQ(DescribeFileResult(r, "").rfind("cannot save the backup file: ", 0), 0u);
}

} // namespace
