// Employee record fields: filing into the employee's slot, the coded fields' lookups, the slots of one
// employer and their reset at the next employer, and the per-employer accumulators.
#include "checks/employee.h"
#include "checks/fields.h"
#include "reader/scanner.h"
#include "report/context.h"
#include "tests/support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace checks;
using testing_support::cp;
using Rows = std::vector<std::string>;

struct Block {
    testing_support::Capture cap;

    Block() { employer(); }
    void employer() { start_employer_slots(); }
    void employee(std::initializer_list<std::pair<const char*, const char*>> fields) {
        start_employee_block();
        next_employee_slot();
        for (const auto& [elem, text] : fields)
            k_Nec(elem, text);
    }
    // The findings other than order findings, without their description.
    Rows rows() {
        Rows out;
        for (const std::string& r : cap.rows())
            if (r.find(";ES305;") == std::string::npos)
                out.push_back(r.substr(0, r.rfind(';')));
        return out;
    }
};

TEST(EmployeeFiling, ValuesAreFiledBeforeTheirLengthIsChecked) {
    Block b;
    report::s_cislo_radky.assign("1234567");
    b.employee({{"AA0126", "ABCDEFGHIJKL"},
                {"AA0231", "19705"},
                {"AA0211", "2"},
                {"AA0223", "K"},
                {"AA0033", "CZ"},
                {"AA0131", "123456"},
                {"AA0132", "5"},
                {"AA0132", "12a"},
                {"AA0137", "3"}});
    EXPECT_EQ(anec_iAA0126[0], "ABCDEFGHIJ"); // cut to its slot
    EXPECT_EQ(anec_lin[0], "1234567");
    EXPECT_EQ(anec_ind[0], 0);
    EXPECT_EQ(anec_iAA0231[0], 19705);
    EXPECT_EQ(anec_iAA0211[0], '2');
    EXPECT_EQ(anec_iAA0223[0], 'K');
    EXPECT_EQ(anec_iAA0033[0], 0);
    EXPECT_EQ(anec_iAA0131[0], 123456.0);
    EXPECT_EQ(anec_iAA0132[0], 5.0); // a failed parse files nothing
    EXPECT_EQ(NTabSum[nec::AA0132], 5.0);
    EXPECT_EQ(anec_iAA0137[0], 3);
    EXPECT_EQ(b.rows(), (Rows{cp("1234567;ES126;;;AA0126;ABCDEFGHIJKL;délka 1 - 10"),
                              cp("1234567;EL002;;;AA0231;19705;délka 4"),
                              cp("1234567;EL005;;;AA0131;123456;délka 1 - 5"),
                              "1234567;ES132;;;AA0132;12a;0 - 9999,99", "1234567;ES137;;;AA0137;3;1,2"}));
}

TEST(EmployeeCodes, CountryCodesLongerThanTwoAreRememberedWithTheirLine) {
    Block b;
    b.employee({{"AA0033", "DE"}});
    EXPECT_EQ(sw_anec_AA0033, 0);
    b.employee({{"AA0033", "DEU"}});
    EXPECT_EQ(sw_anec_AA0033, 1);
    EXPECT_EQ(val_anec_AA0033.view(), "DEU");
    report::s_cislo_radky.assign("31");
    for (const char* code : {"CZE", "703"}) // a home code longer than two is remembered as well
        b.employee({{"AA0033", code}});
    EXPECT_EQ(lin_anec_AA0033.view(), "31");
    EXPECT_EQ(val_anec_AA0033.view(), "703");
    b.employee({{"AA0033", "XYZ"}}); // unknown, and remembered all the same
    EXPECT_EQ(val_anec_AA0033.view(), "XYZ");
    b.employee({{"AA0033", "ABCD"}}); // too long: its length ends the check before the lookup
    EXPECT_EQ(val_anec_AA0033.view(), "XYZ");
}

TEST(EmployeeFiling, OutOfRangeValuesAreFiledSafely) {
    Block b;
    b.employee({{"AA0231", "99999999999999"},
                {"AA0137", "-99999999999999"},
                {"AA0033", "XY"},
                {"AA0211", "1"},
                {"AA0211", ""}});
    EXPECT_EQ(anec_iAA0211[0], '\0'); // the empty code files its terminator, unlike a missing one
    EXPECT_EQ(anec_iAA0231[0], INT32_MAX);
    EXPECT_EQ(anec_iAA0137[0], INT32_MIN);
    EXPECT_EQ(anec_iAA0033[0], 718);
}

TEST(EmployeeSlots, EmployeesPastTheLastSlotShareIt) {
    Block b;
    for (int i = 1; i <= kSlots + 1; ++i) {
        start_employee_block();
        next_employee_slot();
        if (i >= kSlots)
            k_Nec("AA0126", i == kSlots ? "LAST" : "LATER");
    }
    EXPECT_EQ(maxAktiAnec, kSlots - 1);
    EXPECT_EQ(anec_iAA0126[kSlots - 1], "LATER");
    EXPECT_EQ(anec_ind[kSlots - 1], kSlots - 1);
}

TEST(EmployeeSlots, NextEmployerSeesResetValuesWhereTheLastOneFiled) {
    Block b;
    report::s_cislo_radky.assign("40");
    for (const char* id : {"A", "B", "C"})
        b.employee({{"AA0126", id},
                    {"AA0231", "1970"},
                    {"AA0211", "1"},
                    {"AA0223", "K"},
                    {"AA0033", "SK"},
                    {"AA0131", "40"},
                    {"AA0132", "1000"},
                    {"AA0137", "1"}});
    b.employer();
    EXPECT_EQ(maxAktiAnec, -1);
    b.employee({{"AA0126", "D"}});
    for (int s = 1; s <= 2; ++s) {
        EXPECT_EQ(anec_iAA0126[s], "-");
        EXPECT_EQ(anec_ind[s], -1);
        EXPECT_EQ(anec_iAA0231[s], 0);
        EXPECT_EQ(anec_iAA0211[s], ' ');
        EXPECT_EQ(anec_iAA0223[s], ' ');
        EXPECT_EQ(anec_iAA0033[s], 0);
        EXPECT_EQ(anec_iAA0131[s], 0.0);
        EXPECT_EQ(anec_iAA0132[s], 0.0);
        // These two are not reset: they keep what the earlier employer's employee left.
        EXPECT_EQ(anec_lin[s], "40");
        EXPECT_EQ(anec_iAA0137[s], 1);
    }
    EXPECT_EQ(anec_iAA0231[0], 0); // slot 0 was reset before D filed into it
    b.employer();
    EXPECT_EQ(anec_iAA0126[0], "-");
}

// A slot keeps values across employers, but never across runs: the next run's first employee in the slot
// finds the values every run starts with, though the slot is only given them when first reached.
TEST(EmployeeSlots, ANewRunFindsEverySlotAsARunStarts) {
    {
        Block b;
        report::s_cislo_radky.assign("40");
        for (const char* id : {"A", "B", "C"})
            b.employee({{"AA0126", id}, {"AA0211", "1"}, {"AA0223", "K"}, {"AA0137", "1"}});
    }
    Block b; // a new run
    for (int s = 0; s < 3; ++s)
        b.employee({{"AA0231", "1970"}});
    for (int s = 0; s < 3; ++s) {
        EXPECT_EQ(anec_iAA0126[s], "-");
        EXPECT_EQ(anec_ind[s], -1);
        EXPECT_EQ(anec_iAA0211[s], ' ');
        EXPECT_EQ(anec_iAA0223[s], ' ');
        EXPECT_EQ(anec_lin[s], "");
        EXPECT_EQ(anec_iAA0137[s], 0);
    }
}

TEST(EmployeeAccumulators, EmployeeEndAddsToTheEmployerAndEmployerStartClears) {
    Block b;
    b.employee({{"AA0136", "0.5"}, {"AA0137", "1"}, {"AA0144", "30000"}});
    end_employee();
    b.employee({{"AA0136", "1"}, {"AA0137", "2"}, {"AA0144", "-100"}});
    end_employee();
    b.employee({{"AA0136", "x"}}); // absent and rejected fields count 0
    end_employee();
    EXPECT_EQ(sumz_AA0136, 1.5);
    EXPECT_EQ(sumz_AA0137, 1.0);
    EXPECT_EQ(sw_anec_AA0137, 2);
    EXPECT_EQ(sumz_AA0144, 29900.0);
    b.employer();
    EXPECT_EQ(sumz_AA0136 + sumz_AA0137 + sumz_AA0144 + sw_anec_AA0137, 0.0);
}

} // namespace
