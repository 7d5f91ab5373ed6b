// The radio's plain settings as the calibrations save and put them back:
// which reply is a value of the setting asked for, and how a setting left
// changed is named to the user, who must then set it by hand.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Whether `query` ("RA$;") asks for one of the settings below.
bool IsSettingQuery(const std::wstring& query);

// A reply is a value of the setting `query` asks for when it is the query
// without its ";" ("$" of the second receiver included), then the value as
// the setting's set command writes it, then ";": digits of the set command's
// width ("PC005", "RA00", "MD3"), a sign first for the RIT offset, a digit
// or "H" for the command mode. Anything else ("RA0X;", "PC1X0;", "RA$00;"
// to "RA;") is no value: a radio's garble must not be put back.
bool IsSettingValueReply(const std::wstring& reply, const std::wstring& query);

// "Mode (MD$)": the setting's name in the no-response text of `code`, with
// `command` (the letters it restores) in the brackets; an empty `command`
// keeps the text's own.
std::wstring NameSetting(HRESULT code, const std::wstring& command = {});

// "Mode (MD$): MD$1": a setting not put back and the value it must get, as
// the saved reply shows it (its ";" left out).
std::wstring DescribeUnrestored(const std::wstring& name, const std::wstring& savedReply);

// The lead-in, then the settings; nothing when every setting was put back.
std::vector<std::wstring> ListUnrestored(const std::vector<std::wstring>& settings);
