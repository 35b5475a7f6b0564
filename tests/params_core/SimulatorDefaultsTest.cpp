// The simulator's factory parameters against the shipped catalogue's defaults (built where the
// simulator is).
#include <gtest/gtest.h>

#include "CatalogueGlobals.h"
#include "FactoryDefaults.h"
#include "ParameterCheck.h"
#include "params/core/ParameterCatalogue.h"

namespace {

class SimulatorDefaults : public CleanGlobals {};

TEST_F(SimulatorDefaults, AgreeWithTheShippedCatalogueAndPassTheCheck)
{
    ProgramDir = KMT40_DATA_DIR;
    ParameterDef_lezen();
    ASSERT_TRUE(CatalogueLoaded);
    km4x::ParameterTable factory{};
    for (int n = 0; n < ParameterCount; ++n) {
        EXPECT_EQ(ParameterCatalogue.Default(n), km4x::FactoryParameter(n)) << "parameter " << n;
        factory[static_cast<std::size_t>(n)] = km4x::FactoryParameter(n);
    }
    EXPECT_EQ(km4x::CheckParameters(factory), -1);
}

} // namespace
