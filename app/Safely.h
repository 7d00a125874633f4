#pragma once

#include <exception>
#include <functional>
#include <string>

#include "app/DesktopServices.h"

// Why a handler or an operation could not finish, as its message box says it.
std::u16string FailureText(const std::exception& error);

// Runs a handler inside Qt's event delivery, which no exception may cross: one that cannot
// finish says why in a message box.
void Safely(brindle::DesktopServices& services, const std::function<void()>& work);
