// The digit-key cipher for stored text: each byte is shifted by the value of
// the next digit of a decimal key, the key's digits used in cycle from the
// first. Owns the program's fixed keys, shared by the setup program and the
// script compiler: the install-log key, the game-archive key (second argument
// of "kypupdate" and "kypofficial") and the archive "official" code.
#pragma once

#include <string>
#include <string_view>

namespace wizpak {

// Enciphers the install log. 244 digits.
inline constexpr std::string_view kInstallLogKey =
    "8208551973988994979651083725117592020253231206430456547264090543126426932975"
    "5267987799408922231016507503184516212256807235918240797438271392188410305513"
    "2579024955863257779800327395248087467366732421219522328235650962482441512298"
    "0867098093845094";

// Enciphers the second argument of the archive commands in compiled scripts.
// 244 digits; the compiler and the setup program must agree on it.
inline constexpr std::string_view kGameArchiveKey =
    "2566144669312970030065780329102722118333748561616561542083969210987589978809"
    "0644819258309422901162397508788853461867818301091461762183991274751001611711"
    "0029535090418742988073844904564539400173516970601136246708979419534635900265"
    "1445778635099087";

// The fixed lower-case code "kypofficial" must pass to mark an archive.
inline constexpr std::string_view kOfficialCode = "wizmark";

// (text[i] + digit) mod 256 for every byte; the result has the text's length.
// An empty key leaves the text unchanged. A key character that is not a
// decimal digit throws std::invalid_argument (the fixed and derived keys
// never hold one).
std::string EncryptWithDigitKey(std::string_view key, std::string_view text);
// (text[i] - digit) mod 256; inverts EncryptWithDigitKey for the same key.
std::string DecryptWithDigitKey(std::string_view key, std::string_view text);

}  // namespace wizpak
