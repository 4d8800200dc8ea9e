#include "core/design/design_schema.h"

#include <bit>
#include <span>
#include <type_traits>

namespace orvendi {

namespace {

bool SameValue(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

bool SameValue(std::int32_t a, std::int32_t b) { return a == b; }

bool SameValue(const Phasor& a, const Phasor& b) {
  return SameValue(a.real(), b.real()) && SameValue(a.imag(), b.imag());
}

template <class Record>
bool SameRecord(const Record& a, const Record& b, std::span<const SchemaKey<Record>> keys);

bool SameValue(const CoilRecord& a, const CoilRecord& b) { return SameRecord<CoilRecord>(a, b, kCoilKeys); }

bool SameValue(const GeneratorRecord& a, const GeneratorRecord& b) {
  return SameRecord<GeneratorRecord>(a, b, kGeneratorKeys);
}

template <class Item, std::size_t N>
bool SameValue(const std::array<Item, N>& a, const std::array<Item, N>& b) {
  for (std::size_t i = 0; i < N; ++i) {
    if (!SameValue(a[i], b[i])) return false;
  }
  return true;
}

template <class Record>
bool SameMember(const SchemaKey<Record>& key, const Record& a, const Record& b) {
  return std::visit([&](auto member) { return SameValue(a.*member, b.*member); }, key.member);
}

template <class Record>
bool SameRecord(const Record& a, const Record& b, std::span<const SchemaKey<Record>> keys) {
  for (const SchemaKey<Record>& key : keys) {
    if (!SameMember(key, a, b)) return false;
  }
  return true;
}

}  // namespace

bool SameKeyValue(const DesignKey& key, const DesignRecord& a, const DesignRecord& b) {
  return SameMember(key, a, b);
}

void CopyKeyValue(const DesignKey& key, const DesignRecord& from, DesignRecord& to) {
  std::visit([&](auto member) { to.*member = from.*member; }, key.member);
}

void CopyKeysOfKind(KeyKind kind, const DesignRecord& from, DesignRecord& to) {
  for (const DesignKey& key : kDesignKeys) {
    if (key.kind == kind) CopyKeyValue(key, from, to);
  }
}

}  // namespace orvendi
