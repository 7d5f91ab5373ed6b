#include "SerialPorts.h"

#include <windows.h>

#include "ContactStateMachine.h"
#include "Model.h"

std::vector<std::wstring> EnumerateSerialPorts()
{
    std::vector<std::wstring> ports;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return ports;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256;
        wchar_t data[kLongestPortName] = {};
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        const LONG status =
            RegEnumValueW(key, index, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize);
        // A value too long to be a port name is passed over; it must not hide
        // the ports listed after it.
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS)
            break;
        if (type != REG_SZ || wcscmp(name, L"winachsf0") == 0)
            continue;
        // The data need not end in a terminator of its own.
        std::wstring port(data, wcsnlen(data, dataSize / sizeof(wchar_t)));
        if (!port.empty())
            ports.push_back(port);
    }
    RegCloseKey(key);
    return ports;
}

void StartContactAtOpenPort()
{
    CContactStateMachine& contact = GetModel().Contact();
    if (!contact.StartAtOpenPort())
        contact.Restart(contact.m_openPort);
}
