// The TX gain wizard's pages by the radio's option modules, and the levels a
// technician's run goes through.
#include <gtest/gtest.h>

#include "TXGainWizard.h"

namespace {

// Dialog ids: Welcome 13114, WelcomeTech 13116, DummyLoad 13110,
// DummyLoadXQ6T 13112, 5 W 13102, 50 W 13104, 1 mW 13106, technician 13108,
// Completion 13101.
TEST(TXGainWizardRules, PagesByUserAndOptionModules)
{
    struct Row {
        bool technician;
        bool bh7w;
        bool xq6t;
        std::vector<UINT> pages;
    } rows[] = {
        {false, false, false, {13114, 13110, 13102, 13101}},
        {false, true, false, {13114, 13110, 13102, 13104, 13101}},
        {false, false, true, {13114, 13110, 13102, 13112, 13106, 13101}},
        {false, true, true, {13114, 13110, 13102, 13104, 13112, 13106, 13101}},
        {true, false, false, {13116, 13110, 13108, 13101}},
        {true, true, true, {13116, 13110, 13108, 13101}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(GetTXGainWizardPages(row.technician, row.bh7w, row.xq6t), row.pages)
            << row.technician << row.bh7w << row.xq6t;
}

TEST(TXGainWizardRules, TechnicianLevelsFollowTheOptionModules)
{
    // The levels run in turn from 5 W (0), until there is none: 50 W (1)
    // with the amplifier, then 1 mW (2) with the transverter interface.
    struct Row {
        bool bh7w;
        bool xq6t;
        std::vector<int> levels;
    } rows[] = {
        {false, false, {0}},
        {true, false, {0, 1}},
        {false, true, {0, 2}},
        {true, true, {0, 1, 2}},
    };
    for (const Row& row : rows) {
        std::vector<int> levels = {0};
        for (auto next = GetNextTechnicianLevel(0, row.bh7w, row.xq6t); next && levels.size() < 5;
             next = GetNextTechnicianLevel(*next, row.bh7w, row.xq6t))
            levels.push_back(*next);
        EXPECT_EQ(levels, row.levels) << row.bh7w << row.xq6t;
    }
}

}  // namespace
