// REM: a remark, which does nothing.

#include "tools/cmd/command.h"

namespace cmdtool {

const Command RemarkCommand{{"rem"}, [](Session&, const CommandLine&) { return 0; }};

} // namespace cmdtool
