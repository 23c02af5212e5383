// model, the layer above base: the records of the board catalog "cfg" and of the board
// parameters "par", their readers and writers, and the rules a board set keeps (records.h
// says it whole).
//
// rules.h: the rules of a board set, kept apart from the editor's messages so that the
// check of "par" applies the very same ones.
#pragma once

#include <cstdint>

#include "model/catalog.h"
#include "model/records.h"

namespace kdz {

// Rules of a board set, kept apart from the editor's messages so that the check of "par"
// applies the very same ones.

// Index of the first value of `list` equal to `value`, or -1.
int list_index(const value_list* list, std::int32_t value);
// The I/O addresses a type accepts: its primary ones, then its extras; the first 16.
value_list ioa_choices(const value_list* primary, const value_list* extras);
// Whether `type` is made for `bus`.
bool type_on_bus(const btype_rec* type, int bus);
// Whether the class menu offers `type` once the bus is set to `bus`: on that bus, with a class.
bool class_on_bus(const btype_rec* type, int bus);
// Whether the driver mode `mode` (1 or 2) is among the catalog's `modes`.
bool mode_allowed(int mode, int modes);
// Whether the catalog's `modes` lets the user choose, and switch, the mode.
bool mode_can_change(int modes);
// Whether `nboards` boards are more than the editor adds.
bool too_many_boards(int nboards);
// The size in Kbytes that a board on `bus` with I/O address `ioa` must have whatever its
// type offers, or 0 when its type's sizes hold.
std::uint16_t forced_size(int bus, std::uint16_t ioa);
// What is wrong with a dual-port address for a type's attributes and a size in Kbytes.
enum dp_fault { DP_OK, DP_ABOVE_1MB, DP_OFF_BOUNDARY };
dp_fault dp_addr_fault(std::uint32_t addr, std::uint16_t attr, int size);
// The first interrupt-sharing rule that `set` breaks (none in poll mode). A non-null
// `pair` receives the indexes of the first two boards that break it, the lower first.
enum irq_fault { IRQ_OK, IRQ_EISA_SHARED, IRQ_MIXED };
irq_fault irq_rule_broken(const catalog& cat, const params_rec* set, int* pair = nullptr);

}  // namespace kdz
