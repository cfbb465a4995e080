#include "cli/commands.h"

namespace ZQ3 {

const std::vector<CommandRegistrar>& CommandRegistrars() {
    static const std::vector<CommandRegistrar> registrars = {
        AddInfoCommand,
        AddInitCommand,
    };
    return registrars;
}

} // namespace ZQ3
