// Message texts by id: the localised text when the catalogue has one, else
// the English default.
#pragma once

#include <string>

// The text for message id `id` (a decimal number written as text), with the
// default's leading and trailing blanks whatever the catalogue's text has.
std::string GetMsgText(const std::string& defaultText, const std::string& id);
