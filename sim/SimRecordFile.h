// The readable text form of the simulated machine's state files:
//
//   # a comment
//   [printer Setwell KP-200(U) 1]
//   port = USB_KP-200_1
//   attributes = 0x00000040
//
// A file is a list of sections; each has a kind (the first word of its
// header), a name (the rest of the header) and ordered "key = value"
// entries, keys may repeat. Entries before the first header belong to a
// section with an empty kind. Names and values are written with EscapeLine,
// so any byte string survives a round trip.
//
// The last line of a file is "[end]": a file cut short (by a crash, a full
// disk, a bad copy) is refused, not read as a smaller machine.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace setwell::sim {

class SimRecordFile {
 public:
  struct Section {
    std::string kind;
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;
    int line = 0;  // of the header, when parsed (0: no header)

    void Add(std::string key, std::string value) {
      entries.emplace_back(std::move(key), std::move(value));
    }
    // The first value of key, or nothing.
    std::optional<std::string> Get(const std::string& key) const;
    std::string GetOr(const std::string& key, const std::string& fallback) const;
    // Every value of key, in order.
    std::vector<std::string> GetAll(const std::string& key) const;
    // "line 12: " (the header's line), for a reader's message about the
    // section; "" for a section not parsed from a file.
    std::string Where() const;
  };

  explicit SimRecordFile(std::string heading = {}) : heading_(std::move(heading)) {}

  Section& Add(std::string kind, std::string name = {});
  const std::vector<Section>& Sections() const { return sections_; }

  std::string Format() const;
  // Fills the sections from text; false with a message naming the line when
  // the text is not of this form, or ends before its "[end]" line.
  bool Parse(const std::string& text, std::string* error);

 private:
  std::string heading_;
  std::vector<Section> sections_;
};

}  // namespace setwell::sim
