#pragma once

// What the system-specific halves of the child process share.

#include <string>
#include <string_view>
#include <vector>

#include "workbooks/ChildProcess.h"

namespace orvane {

// The task of that name, or null.
const ChildTask* FindChildTask(std::string_view name);

// Does the task in the child, its answer going to `fd`; the child's exit status: 0 done, 2 the
// task threw, 3 the answer could not be written.
int DoChildWork(const ChildTask& task, const std::vector<std::string>& arguments, int fd);

}  // namespace orvane
