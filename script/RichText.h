// The licence agreement is rich text; the terminal shows its words. These
// read the plain text out of an RTF document and wrap it to a width.
#pragma once

#include <string>
#include <vector>

namespace setwell::term {

// The text of an RTF document: paragraphs ("\par") end in '\n', "\tab" is
// a blank, "\'hh" is the byte hh, "\\", "\{" and "\}" are themselves; the
// font and colour tables and every "{\*...}" destination are left out.
// Text that does not begin with "{\rtf" is returned as it is.
std::string RtfToText(const std::string& rtf);

// Lines of at most `width` bytes, broken at blanks where one is in reach;
// each '\n' ends a line and an empty paragraph gives an empty line.
std::vector<std::string> WrapText(const std::string& text, int width);

}  // namespace setwell::term
