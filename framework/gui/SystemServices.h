#pragma once

#include <functional>
#include <string>

namespace fw {

// The system alert sound.
void Beep();
// Opens an address in the desktop's browser, handed to the opener as one
// argument, never through a shell.
void ShowURL(const std::string& url);

// Seams: tests observe what would reach the desktop. An empty function
// restores the default.
void SetBeepHandler(std::function<void()> handler);
void SetShowURLHandler(std::function<void(const std::string&)> handler);

}
