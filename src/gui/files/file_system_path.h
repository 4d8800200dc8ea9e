#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace orvendi {

// A path as the file system spells it, for the core's file functions: UTF-8, with each byte that
// PathFromFileSystem kept as U+DC80..U+DCFF given back as itself.
std::string FileSystemPath(const QString& path);

// The text of a path's bytes: UTF-8 read strictly, each byte of no valid sequence kept as the lone
// U+DC00 + byte, so that FileSystemPath gives the very bytes back and a name that is not UTF-8
// can still be opened, saved and remembered.
QString PathFromFileSystem(std::string_view bytes);

// The file the toolkit's file dialog meant by `chosen`. The dialog decodes names lossily (a byte of
// no UTF-8 sequence becomes U+FFFD), so a chosen name that does not exist is looked up among its
// folder's entries: the one entry that decodes to it, as PathFromFileSystem spells it; `chosen` itself
// when there is none or more than one.
QString ExistingPathOf(const QString& chosen);

}  // namespace orvendi
