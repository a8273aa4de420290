#pragma once
// The mandatory integrity level of a process's token, asked by the window
// layer (a target that outranks this program) and by the system facts
// (this program's own level).
#include <cstdint>

namespace tamiru::platform::win32 {

// The level of the process behind `process` (a HANDLE with query access):
// `refused` when opening its token is refused (an elevated process refuses
// a lower one), integrity::kUnknown when it cannot be read otherwise (the
// process is ending, say).
std::uint32_t ProcessIntegrityLevel(void* process, std::uint32_t refused);

// The level of the process `process_id`: opened with the least right, a
// process that refuses even that counts as high; integrity::kUnknown when
// it is not there.
std::uint32_t IntegrityLevelOfProcess(unsigned long process_id);

// This program's own level; medium when it cannot be read.
std::uint32_t OwnIntegrityLevel();

}  // namespace tamiru::platform::win32
