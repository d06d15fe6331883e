// The stress list's lines made many at a time are the lines made one by one.

#include "stress/st_list_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(StressListLines, ManyAtATimeAreTheLinesOneByOne) {
    // Halves of the patterns' last digits, widths of the position, id and fitness, and states
    // not shown (Le below 1) at both ends of a list long enough for two threads.
    const struct {
        float az1, pl1, az3, pl3, ratio;
        int id, L;
        float Le;
    } kinds[] = {
        {359.5f, 89.5f, 0.5f, 0.49f, 0.00005f, 1, 1, 1.0f},
        {12.25f, 3.5f, 102.5f, 86.5f, 0.99995f, 12345, 67, 2.7f},
        {0, 0, 90, 0, 1, 7, 0, 0.99f},
        {199.5f, 45, 19.5f, 45, 0.5f, 1000000, 2000, 40},
    };
    std::vector<TStressTensor> states(25003);
    for (std::size_t k = 0; k < states.size(); ++k) {
        const auto& c = kinds[k % std::size(kinds)];
        TStressTensor& st = states[k];
        st.ax[0] = {c.az1, c.pl1};
        st.ax[2] = {c.az3, c.pl3};
        st.sr = c.ratio;
        st.id = c.id + int(k);
        st.L = c.L;
        st.Le = c.Le;
    }
    for (const QChar point : {QChar(u'.'), QChar(u','), QChar(0x066B)}) {
        QStringList one_by_one;
        for (std::size_t k = 0; k < states.size(); ++k)
            if (states[k].Le >= 1)
                one_by_one.append(st_list_line(states[k], int(k), point));
        EXPECT_EQ(st_list_lines(states, point), one_by_one);
        EXPECT_EQ(st_list_lines(std::span(states).first(9), point), one_by_one.mid(0, 7));
    }
}

} // namespace
