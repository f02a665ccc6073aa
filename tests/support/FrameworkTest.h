#pragma once
// Fixtures with a running framework (Windows build): FrameworkTest starts it
// with every shipped control registered; ControlTest also loads the test
// skin (tests/support/TestSkin.h).

#include "dui/Framework.h"
#include "dui/SkinManager.h"
#include "dui/UiContext.h"
#include "dui/controls/ShippedControls.h"
#include "tests/support/PackageBytes.h"
#include "tests/support/TestSkin.h"

#include <gtest/gtest.h>

namespace nelvo::test {

class FrameworkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(framework_.started());
        registerShippedControls(UiContext::current()->factory());
    }

    FrameworkScope framework_;
};

class ControlTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        ASSERT_TRUE(SkinManager::current()->loadSkinBytes(storedPackage(testSkinMembers())));
    }
};

} // namespace nelvo::test
