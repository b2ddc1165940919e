#pragma once

#include <string>

// The portal page of a language: "http://" + host + "/tabs.php?lang=" and
// the language, escaped as a query value. The language comes back from the
// page itself (get_lang) and is stored in "cookie.dat", so it may hold
// anything; escaped, it can neither end the query (a '#' or '&') nor change
// the address (blanks, control characters, '%'). Language codes made of
// letters, digits and '-' ("en", "ru", "pt-BR") are appended unchanged.
std::string PortalAddress(const std::string& host, const std::string& lang);

// Percent-escapes every byte except ASCII letters, digits and "-._~".
std::string EscapeQueryValue(const std::string& value);
