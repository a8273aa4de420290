#pragma once
// Failures that tests inject into the file layer (files_testing.cpp, linked
// into the test programs only): a disk that fills up, a file that another
// program holds. The program itself always takes the system's steps.
#include <string>
#include <vector>

#include "platform/files.h"

namespace tamiru::platform {

// While set, writing a replacement file fails after this many bytes of it, as
// a full disk would. Negative: no failure.
void InjectWriteFailureAfter(long long bytes);

// The next `times` renames over a target find it held by another program
// (opened without delete sharing); negative: every one. The waits between
// the tries are recorded rather than slept.
void InjectBusyTarget(int times);
// The same for the next `times` removals of a temporary file.
void InjectBusyTemporary(int times);

// While set, every append goes to the end of *sink instead of its file, so
// that a test of many appends touches no disk. nullptr: to the files again.
void RedirectAppends(std::string* sink);

// The waits (ms) the file layer asked for since the last call.
std::vector<unsigned> TakeFileWaits();

// Back to the system's steps.
void ResetFileFailures();

}  // namespace tamiru::platform
