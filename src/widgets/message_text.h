#pragma once
// A message's text as the program's boxes and message windows show it.
#include <string>

#include <QString>

namespace tarvelo::widgets {

// The text as a Qt label shows it: carriage returns (alone or before a line feed) become line breaks.
QString messageText(const std::string& text);

}  // namespace tarvelo::widgets
