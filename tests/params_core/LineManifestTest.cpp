// The line manifest's parts that the scenario tests through kmt40-cli do not reach one by one: the
// digest (known vectors, also under Wine, where libgcrypt is the Windows build), the file names made
// of serial numbers, and a manifest written and read again.
#include "app/core/CsvText.h"
#include "params/core/LineManifest.h"
#include "params/core/Sha256.h"

#include <gtest/gtest.h>

namespace {

TEST(LineManifestTest, DigestFileNamesAndRoundTrip)
{
    EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Sha256Hex(std::string(16020, '\0')).size(), 64u);
    EXPECT_TRUE(IsSha256Hex(Sha256Hex("abc")));
    EXPECT_FALSE(IsSha256Hex(Sha256Hex("abc").substr(1) + "g"));

    EXPECT_EQ(LineBackupFileName(5, "SN 004705"), "05-SN_004705.bak");
    EXPECT_EQ(LineBackupFileName(31, "  a/b:c*?\"<>|\\x  "), "31-a_b_c_______x.bak");
    EXPECT_EQ(LineBackupFileName(0, ""), "00-noserial.bak");
    EXPECT_EQ(LineBackupFileName(0, ". ."), "00-noserial.bak");
    EXPECT_EQ(LineBackupFileName(7, std::string(60, 'Z')), "07-" + std::string(40, 'Z') + ".bak");
    EXPECT_EQ(LineBackupFileName(7, "SN\xe9 1"), "07-SN__1.bak");

    TLineRow saved;
    saved.Unit = 5;
    saved.Type = "KM41, \"special\"";
    saved.Serial = "SN 004705";
    saved.File = LineBackupFileName(5, saved.Serial);
    saved.Bytes = 16020;
    saved.Sha256 = Sha256Hex("abc");
    saved.Time = "2026-12-07T19:03:12Z";
    saved.Line = TUnitLine{TBaudrate::br19200, TDataBit::db_7, TParityBit::Odd, TStopBit::sb_2};
    TLineRow failed;
    failed.Unit = 12;
    failed.Status = "time-out at P101";
    const std::string text = FormatLineManifest({saved, failed});
    const TManifestResult parsed = ParseLineManifest(text);
    ASSERT_TRUE(parsed.Ok()) << parsed.Error;
    ASSERT_EQ(parsed.Rows.size(), 2u);
    EXPECT_EQ(parsed.Rows[0].Type, saved.Type);
    EXPECT_EQ(UnitLineText(*parsed.Rows[0].Line), "19200,O,7,2");
    EXPECT_EQ(parsed.Rows[1].Status, failed.Status);
    EXPECT_FALSE(parsed.Rows[1].Line);
    EXPECT_EQ(FormatLineManifest(parsed.Rows), text);

    // A row that names another unit's file or a size other than a backup's is refused by its line,
    // even with a row check that matches.
    TLineRow wrongFile = saved;
    wrongFile.File = LineBackupFileName(6, saved.Serial);
    EXPECT_EQ(ParseLineManifest(FormatLineManifest({failed, wrongFile})).Error.rfind("line.csv line 3 (unit 05) names file", 0), 0u);
    TLineRow wrongSize = saved;
    wrongSize.Bytes = 16021;
    EXPECT_NE(ParseLineManifest(FormatLineManifest({wrongSize})).Error.find("16021 bytes"), std::string::npos);
    EXPECT_NE(ParseLineManifest(FormatLineManifest({saved, saved})).Error.find("a second time"), std::string::npos);
    EXPECT_FALSE(ParseLineManifest("").Ok());

    // Saved again by a spreadsheet: every line padded with empty fields to the widest, unit numbers
    // without their leading zero, CR LF, a byte order mark, and ';' between fields where the
    // spreadsheet's language writes the decimal comma. Read as written.
    for (const char separator : {',', ';'}) {
        std::string sheet = "\xEF\xBB\xBF";
        std::size_t lineNo = 0;
        for (std::size_t at = 0, next; at < text.size(); at = next + 1, ++lineNo) {
            next = text.find('\n', at);
            std::vector<std::string> fields = *SplitCsvLine(text.substr(at, next - at));
            if (lineNo == 1)
                fields[0].erase(0, 1); // "05" -> "5"
            fields.resize(lineNo == 0 ? fields.size() : 12);
            std::string line;
            for (std::size_t i = 0; i < fields.size(); ++i) {
                std::string escaped;
                for (char c : fields[i])
                    escaped += c == '"' ? std::string("\"\"") : std::string(1, c);
                if (i > 0)
                    line += separator;
                const bool quoted = fields[i].find_first_of(std::string("\"") + separator) != std::string::npos;
                line += quoted ? '"' + escaped + '"' : escaped;
            }
            sheet += line + "\r\n";
        }
        const TManifestResult fromSheet = ParseLineManifest(sheet);
        ASSERT_TRUE(fromSheet.Ok()) << fromSheet.Error << "\n" << sheet;
        EXPECT_EQ(FormatLineManifest(fromSheet.Rows), text);
    }
    // A field beyond the row's that is not empty is no padding.
    const std::string extra = text.substr(0, text.find('\n', text.find('\n') + 1)) + ",x\n";
    EXPECT_NE(ParseLineManifest(extra).Error.find("fields, not"), std::string::npos);
}

} // namespace
