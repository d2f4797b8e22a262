#include "desktop/control_descriptor.h"

#include <array>
#include <string_view>
#include <vector>

#include "base/strings.h"

namespace twk::desktop {
namespace {

using platform::WindowHandle;
using platform::WindowTree;

// Descriptors compare texts by plain A to Z folding; other characters are
// compared as they are.
char16_t FoldAscii(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

bool StartsWithFolded(std::u16string_view text, std::u16string_view prefix) {
  if (prefix.size() > text.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (FoldAscii(text[i]) != FoldAscii(prefix[i])) return false;
  }
  return true;
}

bool EqualsFolded(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && StartsWithFolded(a, b);
}

Text Stripped(Text text) {
  StripWhiteSpace(text, Strip::Leading | Strip::Trailing);
  return text;
}

void RemoveAmpersands(Text& text) { std::erase(text, u'&'); }

bool IsQuote(char16_t c) { return c == u'\'' || c == u'"'; }

// An optional sign first, then digits; "." and "," are allowed anywhere but
// at the first and the last place. At least one digit: a lone sign is a text.
bool IsNumber(const Text& text) {
  bool digit = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (IsDigit(c)) {
      digit = true;
    } else if ((c == u'+' || c == u'-') && i == 0) {
    } else if ((c == u'.' || c == u',') && i > 0 && i + 1 < text.size()) {
    } else {
      return false;
    }
  }
  return digit;
}

// The tokens between the brackets: split at ";", a doubled ";;" being one
// literal ";" of the value. A literal ";" is not white space, so it survives
// the stripping of the token even at the very start or end of a value. A ";"
// at the very end gives no empty token after it; an empty text gives one.
std::vector<Text> Tokens(std::u16string_view inner) {
  std::vector<Text> tokens(1);
  for (std::size_t i = 0; i < inner.size(); ++i) {
    if (inner[i] != u';') {
      tokens.back().push_back(inner[i]);
    } else if (i + 1 < inner.size() && inner[i + 1] == u';') {
      tokens.back().push_back(u';');
      ++i;
    } else if (i + 1 < inner.size()) {
      tokens.emplace_back();
    }
  }
  return tokens;
}

enum class Key { Class, Instance, Text, Id, ClassNN };

struct KeyName {
  Key key;
  std::u16string_view name;
};

// In the order a token is tried against them; the first that it begins with
// wins ("CLASS:" cannot swallow "CLASSNN:": the colon stands where N does).
constexpr std::array<KeyName, 5> kKeys{{{Key::Class, u"CLASS:"},
                                        {Key::Instance, u"INSTANCE:"},
                                        {Key::Text, u"TEXT:"},
                                        {Key::Id, u"ID:"},
                                        {Key::ClassNN, u"CLASSNN:"}}};

// Parses the tokens into search. False when no criterion that picks windows
// was given (an instance number alone picks nothing).
bool ParseAdvanced(std::u16string_view inner, ControlSearch& search) {
  Text idText;
  for (Text token : Tokens(inner)) {
    token = Stripped(std::move(token));
    for (const KeyName& k : kKeys) {
      // A key needs at least one character of value after it.
      if (token.size() <= k.name.size() || !StartsWithFolded(token, k.name)) continue;
      Text value = Stripped(token.substr(k.name.size()));
      switch (k.key) {
        case Key::Class:
          search.className = std::move(value);
          break;
        case Key::Instance:
          search.instance = ToInteger(value);
          break;
        case Key::Text:
          search.text = std::move(value);
          break;
        case Key::Id:
          search.id = ToInteger(value);
          idText = std::move(value);
          break;
        case Key::ClassNN:
          search.classNN = std::move(value);
          break;
      }
      break;
    }
  }
  return !(search.className.empty() && search.text.empty() && search.classNN.empty() &&
           idText.empty());
}

// The class-with-number test. The number after the class name is read for
// every candidate, not only until the instance is known: otherwise, once it
// was, any class whose name is a prefix of the descriptor ("B" of
// "Button2") would pass as well.
bool PassesClassNN(ControlSearch& search, WindowTree& windows, WindowHandle window) {
  const auto name = windows.ClassName(window, kClassNameCapacity);
  if (!name || name->empty()) return false;
  if (search.classNN.size() <= name->size() || !StartsWithFolded(search.classNN, *name)) {
    return false;
  }
  const std::int32_t number = ToInteger(search.classNN.substr(name->size()));
  if (number < 1) return false;
  if (search.instance == 0) search.instance = number;
  return true;
}

bool PassesText(const ControlSearch& search, WindowTree& windows, WindowHandle window) {
  auto text = windows.WindowText(window, kWindowTextCapacity);
  if (!text || text->empty()) return false;
  RemoveAmpersands(*text);
  return EqualsFolded(*text, search.text);
}

bool PassesClass(const ControlSearch& search, WindowTree& windows, WindowHandle window) {
  const auto name = windows.ClassName(window, kClassNameCapacity);
  return name && EqualsFolded(*name, search.className);
}

bool Matches(ControlSearch& search, WindowTree& windows, WindowHandle window) {
  if (search.id != 0 && windows.ControlId(window) != search.id) return false;
  if (search.advanced) {
    if (!search.classNN.empty() && !PassesClassNN(search, windows, window)) return false;
    if (!search.className.empty() && !PassesClass(search, windows, window)) return false;
    if (!search.text.empty() && !PassesText(search, windows, window)) return false;
    return true;
  }
  if (search.numeric) return windows.ControlId(window) == search.id;
  if (!search.classNN.empty() && PassesClassNN(search, windows, window)) return true;
  return !search.text.empty() && PassesText(search, windows, window);
}

}  // namespace

std::optional<ControlSearch> ParseDescriptor(const Text& descriptor) {
  ControlSearch search;
  const Text stripped = Stripped(descriptor);
  if (stripped.size() >= 2 && stripped.front() == u'[' && stripped.back() == u']') {
    search.advanced = true;
    if (!ParseAdvanced(std::u16string_view(stripped).substr(1, stripped.size() - 2), search)) {
      return std::nullopt;
    }
  } else if (IsNumber(stripped)) {
    search.numeric = true;
    search.id = ToInteger(stripped);
  } else {
    if (stripped.empty()) return std::nullopt;
    // As given, not stripped: a plain descriptor is taken literally.
    search.classNN = descriptor;
    search.text = descriptor;
  }
  if (!search.text.empty()) {
    RemoveAmpersands(search.text);
    if (!search.text.empty() && IsQuote(search.text.back())) search.text.pop_back();
    if (!search.text.empty() && IsQuote(search.text.front())) search.text.erase(0, 1);
  }
  return search;
}

bool OfferCandidate(ControlSearch& search, WindowTree& windows, WindowHandle candidate) {
  if (!Matches(search, windows, candidate)) return false;
  ++search.count;
  if (search.count < search.instance) return false;
  search.result = candidate;
  return true;
}

}  // namespace twk::desktop
