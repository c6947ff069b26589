#pragma once

#include <string>
#include <string_view>

// What the texts of a floor plan say about its rooms: the layers whose names say that they hold
// rooms, the lines of a text that label a room's area rather than name it, the name a text gives
// a room and the names of voids. Texts are UTF-8; white space is Unicode's, and Latin letters
// match in either case.
namespace core {

// A layer's name that says it holds rooms: it holds 房间, ROOM, AREA or 面积 (in either case), and
// none of COLUMN, 柱, WALL, 墙, AXIS, 轴, DIM, 标注, TEXT, 文字, FURN, 家具, HATCH and 填充.
[[nodiscard]] bool isRoomLayerName(std::string_view name);

// A layer's name that says it holds walls or columns: it holds WALL, 墙, COLUMN or 柱 (A-WALL,
// PUB_WALL) in either case.
[[nodiscard]] bool isWallLayerName(std::string_view name);
// A layer's or block's name that says it holds doors: it holds 门 or DOOR, or DOR not after a Latin
// letter (A-DOR, $DorLib2D$, but no CORRIDOR), in either case.
[[nodiscard]] bool isDoorName(std::string_view name);

// A line that labels a room's area rather than names it: a number with a unit of area, one after
// 面积 or "S=", or a number with decimals ("24.00m²", "S=24", "面积：24㎡", "(16.00㎡)", "24.00").
[[nodiscard]] bool isAreaLabel(std::string_view line);

// The name a text gives a room: its lines that are no area labels on one line, its runs of white
// space one space, trimmed, cut to kMaxNameLength (UTF-16 code units, never between the two
// halves of a character beyond the first 65 536); empty where nothing is left.
[[nodiscard]] std::string roomNameOf(std::string_view text);

// The name of a void rather than a room: an atrium's or a hall's open space above (上空, 中庭),
// a shaft (管井, 电梯井, or ending in 井), a column (ending in 柱).
[[nodiscard]] bool isVoidName(std::string_view name);

// The name of a room people walk through to others rather than stay in: it holds 走廊, 走道, 过道,
// 门厅, 大厅, 前室, 楼梯间, 电梯厅, 通道 or 廊.
[[nodiscard]] bool isCirculationName(std::string_view name);

}  // namespace core
