#include "device/core/IdentificationChain.h"
#include "device/core/ReplyValue.h"

#include <gtest/gtest.h>

using device::IdentificationChain;

TEST(IdentificationChain, RunsTypeThenBothIdentificationTextsThenEnds)
{
    IdentificationChain chain;
    chain.Start();
    EXPECT_EQ(chain.AwaitedCommand(), "rt");

    auto type = chain.OnReply("KM40 V2.31", true);
    EXPECT_EQ(type.statusPanel, 2);
    EXPECT_EQ(type.text, "KM40 V2.31");
    EXPECT_FALSE(type.warnWrongModel);
    EXPECT_EQ(type.nextCommand, "rh");
    EXPECT_EQ(chain.DeviceModel(), "KM40");
    EXPECT_EQ(chain.IdentificationStep(), 1);
    EXPECT_EQ(chain.AwaitedCommand(), "rh");

    auto second = chain.OnReply("SW 2.31", true);
    EXPECT_EQ(second.statusPanel, 3);
    EXPECT_EQ(second.nextCommand, "rx");
    EXPECT_EQ(chain.AwaitedCommand(), "rx");

    auto third = chain.OnReply("SN 0047", true);
    EXPECT_EQ(third.statusPanel, 4);
    EXPECT_EQ(third.text, "SN 0047");
    EXPECT_TRUE(third.nextCommand.empty());
    EXPECT_EQ(chain.IdentificationStep(), 2);

    // A new activation starts over.
    chain.Start();
    EXPECT_EQ(chain.AwaitedCommand(), "rt");
}

TEST(IdentificationChain, ModelIsTheFirstFourCharacters)
{
    IdentificationChain chain;
    auto km41 = chain.OnReply("KM41-XYZ rev B", true);
    EXPECT_EQ(chain.DeviceModel(), "KM41");
    EXPECT_FALSE(km41.warnWrongModel);

    chain.Start();
    auto shortType = chain.OnReply("KM4", true);
    EXPECT_EQ(chain.DeviceModel(), "KM4");
    EXPECT_TRUE(shortType.warnWrongModel);

    chain.Start();
    auto empty = chain.OnReply("", true);
    EXPECT_EQ(chain.DeviceModel(), "");
    EXPECT_TRUE(empty.warnWrongModel);
    EXPECT_EQ(empty.nextCommand, "rh"); // the chain goes on after the warning
}

TEST(IdentificationChain, WarnsOnlyWithALanguageFile)
{
    IdentificationChain chain;
    auto outcome = chain.OnReply("KM30 V1.0", false);
    EXPECT_FALSE(outcome.warnWrongModel);
    EXPECT_EQ(chain.DeviceModel(), "KM30");
    EXPECT_FALSE(device::IsSupportedModel("km40")); // the comparison is exact
}

TEST(IdentificationChain, AReplyWithoutTheEchoShowsTheFailureSignAndTheChainGoesOn)
{
    IdentificationChain chain;
    chain.OnReply("KM40 V2.31", true);
    chain.Start();
    auto type = chain.OnForeignReply();
    EXPECT_EQ(type.statusPanel, 2);
    EXPECT_EQ(type.text, "?");
    EXPECT_EQ(type.nextCommand, "rh");
    EXPECT_FALSE(type.warnWrongModel) << "an unknown type is no wrong type";
    EXPECT_EQ(chain.DeviceModel(), "") << "the earlier unit's model does not stay";

    auto second = chain.OnForeignReply();
    EXPECT_EQ(second.statusPanel, 3);
    EXPECT_EQ(second.nextCommand, "rx");
    auto third = chain.OnReply("SN 1", true);
    EXPECT_EQ(third.statusPanel, 4);
    EXPECT_EQ(third.text, "SN 1");
}

TEST(IdentificationChain, AFailedRequestOrAGarbledTextIsMarkedWhereItHappened)
{
    IdentificationChain chain;
    chain.Start();
    auto type = chain.OnReply(std::string("KM40\0x", 6), true);
    EXPECT_EQ(type.text, "?") << "a NUL is no type text";
    EXPECT_FALSE(type.warnWrongModel);
    EXPECT_EQ(type.nextCommand, "rh");
    EXPECT_EQ(chain.DeviceModel(), "");

    // A failed "rh": its panel is marked and the chain ends there.
    auto failed = chain.OnError();
    EXPECT_EQ(failed.statusPanel, 3);
    EXPECT_EQ(failed.text, "?");
    EXPECT_EQ(failed.nextCommand, "");

    chain.Start();
    chain.OnReply("KM41 V1", true);
    chain.Start();
    auto failedType = chain.OnError();
    EXPECT_EQ(failedType.statusPanel, 2);
    EXPECT_EQ(chain.DeviceModel(), "") << "the type was not read";
    EXPECT_FALSE(device::HasControlBytes("SW 2.31 \xC4\xFF"));
    EXPECT_TRUE(device::HasControlBytes("SW\x7F"));
}
