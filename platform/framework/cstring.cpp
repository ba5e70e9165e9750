#include "platform/framework/cstring.h"

#include <cstdarg>
#include <cwchar>
#include <vector>

CString::CString(const wchar_t* text) : m_text(text ? text : L"") {}

CString::CString(const wchar_t* text, int length) {
    if (text && length > 0) {
        m_text.assign(text, static_cast<size_t>(length));
    }
}

int CString::ReverseFind(wchar_t ch) const {
    size_t found = m_text.rfind(ch);
    return found == std::wstring::npos ? -1 : static_cast<int>(found);
}

CString CString::Left(int count) const {
    if (count <= 0) {
        return CString();
    }
    return CString(m_text.substr(0, static_cast<size_t>(count)));
}

CString CString::Mid(int first) const {
    return Mid(first, GetLength());
}

CString CString::Mid(int first, int count) const {
    if (first < 0) {
        first = 0;
    }
    if (first >= GetLength() || count <= 0) {
        return CString();
    }
    return CString(m_text.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

int CString::Compare(const wchar_t* other) const {
    return wcscmp(m_text.c_str(), other ? other : L"");
}

CString& CString::operator=(const wchar_t* text) {
    // The text may point into this string itself.
    std::wstring copy(text ? text : L"");
    m_text.swap(copy);
    return *this;
}

CString& CString::operator+=(const CString& text) {
    m_text += text.m_text;
    return *this;
}

CString& CString::operator+=(const wchar_t* text) {
    if (text) {
        m_text += std::wstring(text);
    }
    return *this;
}

CString& CString::operator+=(wchar_t ch) {
    m_text += ch;
    return *this;
}

void CString::Format(const wchar_t* format, ...) {
    if (!format) {
        m_text.clear();
        return;
    }
    std::vector<wchar_t> buffer(256);
    for (;;) {
        va_list args;
        va_start(args, format);
        int written = vswprintf(buffer.data(), buffer.size(), format, args);
        va_end(args);
        if (written >= 0 && static_cast<size_t>(written) < buffer.size()) {
            m_text.assign(buffer.data(), static_cast<size_t>(written));
            return;
        }
        if (buffer.size() >= (1u << 24)) {
            // A format that never fits (or is malformed) gives an empty text, not a loop.
            m_text.clear();
            return;
        }
        buffer.resize(buffer.size() * 4);
    }
}

wchar_t* CString::GetBuffer(int minLength) {
    if (minLength > GetLength()) {
        m_text.resize(static_cast<size_t>(minLength), L'\0');
    }
    return &m_text[0];
}

void CString::ReleaseBuffer(int newLength) {
    if (newLength < 0) {
        m_text.resize(wcsnlen(m_text.c_str(), m_text.size()));
    } else if (static_cast<size_t>(newLength) < m_text.size()) {
        m_text.resize(static_cast<size_t>(newLength));
    }
}

CString operator+(const CString& left, const CString& right) {
    CString joined(left);
    joined += right;
    return joined;
}

CString operator+(const CString& left, const wchar_t* right) {
    CString joined(left);
    joined += right;
    return joined;
}

CString operator+(const wchar_t* left, const CString& right) {
    CString joined(left);
    joined += right;
    return joined;
}

bool operator==(const CString& left, const CString& right) {
    return left.Std() == right.Std();
}
bool operator==(const CString& left, const wchar_t* right) {
    return left.Compare(right) == 0;
}
bool operator==(const wchar_t* left, const CString& right) {
    return right.Compare(left) == 0;
}
bool operator!=(const CString& left, const CString& right) {
    return !(left == right);
}
bool operator!=(const CString& left, const wchar_t* right) {
    return !(left == right);
}
bool operator!=(const wchar_t* left, const CString& right) {
    return !(left == right);
}
