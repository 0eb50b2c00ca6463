// The readers of stored data, as the fuzzer and the replay test drive them:
// each takes any bytes and must either read them or refuse them with the
// reader's error, never crash, hang or allocate without bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// The component stream: the program's layout reader building components of
// test classes (every kind of property, binary ones through the stored-data
// readers, nested children), and the tree decoder of the layout compiler.
void Layout(const std::uint8_t* data, std::size_t size);
// A picture property's payload (class name, bitmap file): header checks and
// the build-time decoder.
void Picture(const std::uint8_t* data, std::size_t size);
// A stored outline's payload (count, region data).
void Region(const std::uint8_t* data, std::size_t size);
// A rich text document's payload (count, RTF bytes).
void Document(const std::uint8_t* data, std::size_t size);

// The target of a name ("layout", "picture", "region", "document"); null
// for an unknown name.
using Target = void (*)(const std::uint8_t*, std::size_t);
Target ByName(const std::string& name);

}  // namespace fuzz
