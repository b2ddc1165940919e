#pragma once

#include <string_view>

// Whether a manifest path names a plain file inside the game folder. The
// launcher runs with administrator rights, so a path that Windows would read
// as rooted, as a share, as a device or namespace, or that it would quietly
// rewrite (trailing dots and blanks), must never reach a delete or a write.
// Names with ":" or ".." are refused by the manifest rules before this check.
bool IsInsideGameFolder(std::string_view path);
