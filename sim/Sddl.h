// Syntax of security descriptor strings, as the host's converter accepts
// them: owner "O:", group "G:", DACL "D:" and SACL "S:" parts, each at most
// once, in any order; SIDs as two-letter aliases or "S-1-..." forms; ACLs as
// flags followed by ACEs "(type;flags;rights;object;inherited-object;sid)".
#pragma once

#include <string_view>

namespace setwell::sim {

bool IsValidSddl(std::string_view text);

}  // namespace setwell::sim
