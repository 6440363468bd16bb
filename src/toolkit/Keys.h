#pragma once
// The keys the skin's windows react to; every other key is Other.
namespace tessaly::toolkit {

enum class Key : unsigned { None = 0, Space, Return, KeypadEnter, Escape, Tab, Other };

}  // namespace tessaly::toolkit
