// The base of classes that own something a copy would share or release
// twice (a handle, a registration, a hook): it deletes their copies.
#pragma once

class CNonCopyable {
public:
    CNonCopyable(const CNonCopyable&) = delete;
    CNonCopyable& operator=(const CNonCopyable&) = delete;

protected:
    CNonCopyable() = default;
    ~CNonCopyable() = default;
};
