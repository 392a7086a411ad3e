// Names parameterised test cases after the `name` member of their case.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace routerdesk::testing {

struct CaseName {
    template <typename Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& testCase) const {
        return testCase.param.name;
    }
};

}  // namespace routerdesk::testing
