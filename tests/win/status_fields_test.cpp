#include "win/status_fields.h"

#include <gtest/gtest.h>

TEST(StatusFields, LabelsLeadEachHalfUntilTheyWouldFillIt) {
    using Edges = std::array<int, 4>;
    EXPECT_EQ(status_field_edges(120, 900), (Edges{120, 450, 570, 900}));
    EXPECT_EQ(status_field_edges(120, 901), (Edges{120, 450, 570, 901}));  // half rounds down
    EXPECT_EQ(status_field_edges(449, 900), (Edges{449, 450, 899, 900}));
    EXPECT_EQ(status_field_edges(450, 900), (Edges{450, 450, 900, 900}));  // label as wide as half
    EXPECT_EQ(status_field_edges(500, 400), (Edges{200, 200, 400, 400}));
    EXPECT_EQ(status_field_edges(10, 0), (Edges{0, 0, 0, 0}));
}
