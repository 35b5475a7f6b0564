#pragma once
// Every test starts from the program's start-up state: zero tables, no catalogue, no menu map.

#include <gtest/gtest.h>

#include "app/core/Global_var.h"
#include "params/core/ParameterCatalogue.h"
#include "params/core/ParameterMenuMap.h"

class CleanGlobals : public ::testing::Test {
protected:
    void SetUp() override { ResetAll(); }
    void TearDown() override { ResetAll(); }

    static void ResetAll()
    {
        Global_var.Reset();
        ParameterCatalogue.Clear();
        CatalogueLoaded = false;
        ParameterMenuMap.Clear();
        MenuMapLoaded = false;
    }
};
