#include "gui/files/file_system_path.h"

#include <QFile>
#include <QFileInfo>
#include <cstdint>
#include <filesystem>
#include <system_error>

namespace orvendi {

namespace {

constexpr char16_t kEscapedBytes = 0xDC00;

bool Continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The length of the valid UTF-8 sequence at `at` and its code point; 0 when there is none. Overlong
// forms, surrogates and values past U+10FFFF are no sequence: each of their bytes stands alone.
int ReadSequence(std::string_view bytes, std::size_t at, char32_t& code) {
  const auto lead = static_cast<unsigned char>(bytes[at]);
  int length = 0;
  char32_t least = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, least = 0x80, code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, least = 0x800, code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, least = 0x10000, code = lead & 0x07;
  } else {
    return 0;
  }
  if (bytes.size() - at < static_cast<std::size_t>(length)) return 0;
  for (int k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(bytes[at + k]);
    if (!Continuation(next)) return 0;
    code = (code << 6) | (next & 0x3F);
  }
  if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

std::string FileSystemPath(const QString& path) {
  std::string bytes;
  const qsizetype n = path.size();
  for (qsizetype i = 0; i < n; ++i) {
    const char16_t unit = path[i].unicode();
    if (QChar::isHighSurrogate(unit) && i + 1 < n && QChar::isLowSurrogate(path[i + 1].unicode())) {
      AppendUtf8(bytes, QChar::surrogateToUcs4(unit, path[i + 1].unicode()));
      ++i;
    } else if (unit >= kEscapedBytes + 0x80 && unit <= kEscapedBytes + 0xFF) {
      bytes += static_cast<char>(unit - kEscapedBytes);
    } else if (QChar::isSurrogate(unit)) {
      AppendUtf8(bytes, QChar::ReplacementCharacter);
    } else {
      AppendUtf8(bytes, unit);
    }
  }
  return bytes;
}

QString PathFromFileSystem(std::string_view bytes) {
  QString path;
  path.reserve(static_cast<qsizetype>(bytes.size()));
  for (std::size_t at = 0; at < bytes.size();) {
    char32_t code = 0;
    const int length = ReadSequence(bytes, at, code);
    const auto byte = static_cast<unsigned char>(bytes[at]);
    if (byte < 0x80) {
      path += QChar(byte);
      ++at;
    } else if (length == 0) {
      path += QChar(static_cast<char16_t>(kEscapedBytes + byte));
      ++at;
    } else {
      path += QString::fromUcs4(&code, 1);
      at += static_cast<std::size_t>(length);
    }
  }
  return path;
}

QString ExistingPathOf(const QString& chosen) {
  const std::string bytes = FileSystemPath(chosen);
  std::error_code error;
  if (!chosen.contains(QChar::ReplacementCharacter) || std::filesystem::exists(bytes, error)) return chosen;
  const QFileInfo info(chosen);
  const std::filesystem::path folder = std::filesystem::path(bytes).parent_path();
  QString found;
  int matches = 0;
  for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
    const std::string name = entry->path().filename().native();
    if (QFile::decodeName(QByteArray::fromStdString(name)) != info.fileName()) continue;
    found = PathFromFileSystem(entry->path().native());
    ++matches;
  }
  return matches == 1 ? found : chosen;
}

}  // namespace orvendi
