#include "SettingReplies.h"

#include "ErrorText.h"
#include "TextOrId.h"
#include "resource.h"

namespace {

// A setting's letters and a value its set command writes: a value has that
// width, a sign where it has one and digits elsewhere.
struct SSettingForm {
    const wchar_t* letters;
    const wchar_t* setValue;
};

const SSettingForm kSettingForms[] = {
    // The transmitter's, as the TX gain calibration sets them.
    {L"FA", L"00014200000"}, {L"FB", L"00014200000"}, {L"BN", L"05"}, {L"PC", L"005"},
    {L"AN", L"1"},           {L"RT", L"0"},           {L"XT", L"0"},  {L"RO", L"-0000"},
    {L"Q5", L"0"},           {L"Q7", L"1"},           {L"MP", L"000"},
    // The receivers', as the RF gain calibration sets them.
    {L"AI", L"0"},           {L"SB", L"0"},           {L"LN", L"0"},  {L"MD", L"3"},
    {L"RA", L"00"},          {L"PA", L"0"},           {L"RG", L"250"}, {L"SQ", L"000"},
    {L"BW", L"0010"},
};

// The hidden command mode ("Q7H;") is a value of the command mode too.
constexpr wchar_t kHiddenMode[] = L"H";

// "RA$" of "RA$;": the query's letters and its receiver's "$".
std::wstring Head(const std::wstring& query)
{
    return query.substr(0, query.find(L';'));
}

const SSettingForm* FindForm(std::wstring head)
{
    if (!head.empty() && head.back() == L'$')
        head.pop_back();
    for (const SSettingForm& form : kSettingForms) {
        if (head == form.letters)
            return &form;
    }
    return nullptr;
}

bool IsSign(wchar_t c)
{
    return c == L'+' || c == L'-';
}

bool IsValueOf(const SSettingForm& form, const std::wstring& value)
{
    const std::wstring sample = form.setValue;
    if (std::wstring(form.letters) == L"Q7" && value == kHiddenMode)
        return true;
    if (value.size() != sample.size())
        return false;
    for (size_t i = 0; i < value.size(); ++i) {
        const bool fits = IsSign(sample[i]) ? IsSign(value[i]) : value[i] >= L'0' && value[i] <= L'9';
        if (!fits)
            return false;
    }
    return true;
}

}  // namespace

bool IsSettingQuery(const std::wstring& query)
{
    return FindForm(Head(query)) != nullptr;
}

bool IsSettingValueReply(const std::wstring& reply, const std::wstring& query)
{
    const std::wstring head = Head(query);
    const SSettingForm* form = FindForm(head);
    if (!form || reply.size() <= head.size() || reply.compare(0, head.size(), head) != 0 || reply.back() != L';')
        return false;
    return IsValueOf(*form, reply.substr(head.size(), reply.size() - head.size() - 1));
}

std::wstring NameSetting(HRESULT code, const std::wstring& command)
{
    static const std::wstring kNoResponse = L"No response to ";
    std::wstring name = FormatErrorText(static_cast<DWORD>(code));
    if (name.compare(0, kNoResponse.size(), kNoResponse) == 0)
        name.erase(0, kNoResponse.size());
    if (command.empty())
        return name;
    const size_t brackets = name.rfind(L" (");
    if (brackets != std::wstring::npos && name.back() == L')')
        name.erase(brackets);
    return name + L" (" + command + L")";
}

std::wstring DescribeUnrestored(const std::wstring& name, const std::wstring& savedReply)
{
    return name + L": " + savedReply.substr(0, savedReply.find(L';'));
}

std::vector<std::wstring> ListUnrestored(const std::vector<std::wstring>& settings)
{
    if (settings.empty())
        return {};
    std::vector<std::wstring> lines{LoadResString(IDS_NOT_PUT_BACK)};
    lines.insert(lines.end(), settings.begin(), settings.end());
    return lines;
}
