// The simulated radio's settings (its `state` reply) compared before and
// after a run that must put them back.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

using RadioState = std::map<std::string, std::string>;

// Every setting as it was, but for the names given.
inline void ExpectSettingsKept(const RadioState& before, const RadioState& after, const std::set<std::string>& changed)
{
    ASSERT_FALSE(before.empty());
    for (const auto& [name, value] : before) {
        if (changed.count(name) == 0) {
            EXPECT_EQ(after.at(name), value) << name;
        }
    }
}
