// The buttons the keys work on a form without the focus moved: Enter (the
// pad's A) presses the default button, Escape (the pad's B) the cancel button.
#pragma once

#include <string>

// Fills the names for the form ("" where it has none).
void FormKeyButtons(const std::string& form, std::string& defaultButton, std::string& cancelButton);
