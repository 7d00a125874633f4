// Where a window opens beside its owner: inside the screen's area and never larger, beside
// the owner when a side has room, else over as few of its buttons as any place allows
// (counted here by trying every place, not by the placement's own candidates).
#include <algorithm>
#include <cctype>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ButtonCover.h"
#include "app/ScreenPlacement.h"

using apptest::Covered;
using apptest::FewestCovered;

namespace {

bool IsOn(Side side, const QRect& frame, const QRect& owner) {
    switch (side) {
        case Side::Right:
            return frame.left() > owner.right();
        case Side::Left:
            return frame.right() < owner.left();
        case Side::Below:
            return frame.top() > owner.bottom();
        case Side::Above:
            return frame.bottom() < owner.top();
    }
    return false;
}

// A main dialog of 450 x 410 with its buttons where the main dialog has them: a row of
// three along the bottom and one above the last.
PlacementRequest Dialog(QPoint at, QRect area, QSize size, QSize smallest) {
    PlacementRequest request;
    request.owner = QRect(at, QSize(450, 410));
    for (const QRect& button : {QRect(27, 370, 106, 29), QRect(172, 370, 106, 29),
                                QRect(317, 370, 106, 29), QRect(317, 314, 106, 29)})
        request.buttons.push_back(button.translated(at));
    request.size = size;
    request.smallest = smallest;
    request.area = area;
    return request;
}

constexpr SideOrder kPreviewOrder{Side::Right, Side::Left, Side::Below, Side::Above};
constexpr SideOrder kLogOrder{Side::Below, Side::Right, Side::Left, Side::Above};

struct PlacementCase {
    const char* name;
    PlacementRequest request;
    // The side it opens on, or none: then it covers the owner.
    std::optional<Side> side;
    // It is given less than it asked for.
    bool shrunk;
};

const QRect kWide(0, 0, 1600, 1000);
const QRect kSmall(0, 0, 800, 500);  // 1600 x 1000 at scale factor 2
const QSize kPreview(860, 440);
const QSize kPreviewSmallest(430, 300);
const QSize kLog(640, 220);
const QSize kLogSmallest(320, 110);

PlacementRequest WithOrder(PlacementRequest request, SideOrder order) {
    request.sides = order;
    return request;
}

PlacementRequest WithButtons(PlacementRequest request, std::vector<QRect> buttons) {
    request.buttons = std::move(buttons);
    return request;
}

const PlacementCase kCases[] = {
    {"room on the first side", Dialog({100, 100}, kWide, kPreview, kPreviewSmallest), Side::Right,
     false},
    {"the owner at the right edge: the next side",
     WithOrder(Dialog({1100, 100}, kWide, kPreview, kPreviewSmallest), kPreviewOrder), Side::Left,
     false},
    {"the order of the window's own sides",
     WithOrder(Dialog({100, 100}, kWide, kLog, kLogSmallest), kLogOrder), Side::Below, false},
    {"a side with room for the whole window before a first side with less",
     Dialog({100, 100}, QRect(0, 0, 1100, 1000), kPreview, kPreviewSmallest), Side::Below, false},
    {"less than it asks, beside, rather than over the owner",
     Dialog({100, 100}, QRect(0, 0, 1000, 540), kPreview, kPreviewSmallest), Side::Right, true},
    {"a side too narrow even for the smallest: over the owner",
     Dialog({175, 45}, kSmall, kPreview, kPreviewSmallest), std::nullopt, true},
    {"the Output Log on a small screen",
     WithOrder(Dialog({175, 45}, kSmall, kLog, kLogSmallest), kLogOrder), std::nullopt, false},
    {"the owner in the corner of a small screen",
     Dialog({0, 0}, kSmall, kPreview, kPreviewSmallest), std::nullopt, true},
    {"larger than the area", Dialog({100, 100}, kWide, QSize(2000, 1200), QSize(900, 600)),
     Side::Right, true},
    {"every place covers the middle button: only that one",
     WithButtons(Dialog({0, 0}, kSmall, QSize(800, 500), QSize(400, 250)),
                 {QRect(390, 240, 20, 20), QRect(0, 0, 20, 20), QRect(780, 0, 20, 20),
                  QRect(0, 480, 20, 20), QRect(780, 480, 20, 20)}),
     std::nullopt, true},
};

void PrintTo(const PlacementCase& c, std::ostream* out) {
    *out << c.name;
}

class ScreenPlacementTest : public testing::TestWithParam<PlacementCase> {};

TEST_P(ScreenPlacementTest, OpensInsideBesideOrOverTheFewestButtons) {
    const PlacementCase& c = GetParam();
    const PlacementRequest& r = c.request;
    const QRect frame = PlacedBeside(r);
    SCOPED_TRACE(testing::Message() << "at " << frame.x() << "," << frame.y() << " "
                                    << frame.width() << "x" << frame.height());

    EXPECT_TRUE(r.area.contains(frame));
    const QSize asked = r.size.boundedTo(r.area.size());
    EXPECT_LE(frame.width(), asked.width());
    EXPECT_LE(frame.height(), asked.height());
    EXPECT_GE(frame.width(), r.smallest.boundedTo(asked).width());
    EXPECT_GE(frame.height(), r.smallest.boundedTo(asked).height());
    EXPECT_EQ(frame.size() != asked, c.shrunk);

    if (c.side) {
        EXPECT_FALSE(frame.intersects(r.owner));
        EXPECT_TRUE(IsOn(*c.side, frame, r.owner));
    } else {
        EXPECT_TRUE(frame.intersects(r.owner));
        // No place covers fewer, at the smallest size it may have.
        EXPECT_EQ(Covered(frame, r.buttons),
                  FewestCovered(r.smallest.boundedTo(asked), r.area, r.buttons));
    }
}

std::string CaseName(const testing::TestParamInfo<PlacementCase>& param) {
    std::string name = param.param.name;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, ScreenPlacementTest, testing::ValuesIn(kCases), CaseName);

}  // namespace
