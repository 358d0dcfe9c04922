#pragma once
// The memory a run's store needs, known before the run: signals × quanta × 8 bytes, checked
// against the memory the system has available, so that a long run that cannot fit is refused
// with both figures before anything is allocated.

#include <cstdint>
#include <optional>
#include <string>

#include "base/ErrorBox.h"

namespace kvaril {

// Bytes of the samples of `signals` × `quanta` (8 each).
unsigned long long StoreBytes(int32_t signals, int32_t quanta);

// MemAvailable of a /proc/meminfo text, in bytes; nothing when it is not there.
std::optional<unsigned long long> ParseMemAvailable(const std::string& meminfo);
// MemAvailable of this system; nothing when /proc/meminfo cannot tell.
std::optional<unsigned long long> AvailableMemory();

// "512 байт", "64,0 КБ", "1,2 ГБ": the unit that keeps the number short.
std::string FormatBytes(unsigned long long bytes);

// The refusal when the store of `signals` × `quanta` needs more than `available` bytes.
std::optional<TErrorBox> CheckStoreMemory(int32_t signals, int32_t quanta,
                                          unsigned long long available);

}  // namespace kvaril
