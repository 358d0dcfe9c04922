#pragma once
// A refusal or failure as the user reads it: a box's title and its text (UTF-8).

#include <string>

namespace kvaril {

struct TErrorBox {
    std::string Title;
    std::string Text;
};

}  // namespace kvaril
