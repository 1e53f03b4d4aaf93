#pragma once
// Path checks that keep a job's work inside its own folders: the forms of a path the
// program compares and stores, and whether a path stays below a folder.
#include <string>
#include <string_view>

namespace ferrolin {

// The path with repeated separators collapsed (a leading "//" of a share path kept),
// "." levels dropped and trailing separators removed ("/" stays "/"). ".." levels are
// kept as they are: they are refused, never resolved. Texts that are addresses (holding
// "://") or not paths at all (not beginning with a separator) come back unchanged.
std::string NormalisePath(std::string_view path);

// True for a path holding CR or LF (such a name cannot be stored as one text line).
bool HasLineBreak(std::string_view text);

// True when a level of the path is "..".
bool HasParentLevel(std::string_view path);

// True for an absolute path that is its own normal form and holds no ".." level.
bool IsNormalAbsolutePath(std::string_view path);

// True when path lies below folder (both compared in normal form; folder itself is not
// below itself).
bool LiesBelow(std::string_view path, std::string_view folder);

}  // namespace ferrolin
