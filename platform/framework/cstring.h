#pragma once
// A wide string that owns its text. A null pointer given to it reads as the empty text.
#include <windows.h>

#include <string>

class CString {
  public:
    CString() = default;
    CString(const wchar_t* text);  // NOLINT: converts implicitly, like the texts it stands for
    CString(const wchar_t* text, int length);
    CString(const std::wstring& text) : m_text(text) {}  // NOLINT

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }

    const wchar_t* GetString() const { return m_text.c_str(); }
    operator const wchar_t*() const { return m_text.c_str(); }  // NOLINT
    const std::wstring& Std() const { return m_text; }

    int ReverseFind(wchar_t ch) const;
    CString Left(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;

    // Exact comparison: <0, 0 or >0.
    int Compare(const wchar_t* other) const;

    CString& operator=(const wchar_t* text);
    CString& operator+=(const CString& text);
    CString& operator+=(const wchar_t* text);
    CString& operator+=(wchar_t ch);

    // printf-style formatting into this string; the result is as long as it needs to be.
    // Wide strings are passed with %ls (%s is the narrow form with this runtime).
    void Format(const wchar_t* format, ...);

    // A writable buffer of at least `minLength` characters plus the terminator, for calls
    // that fill a caller's buffer; ReleaseBuffer(-1) then takes the text up to the first
    // terminator, ReleaseBuffer(n) the first n characters.
    wchar_t* GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

  private:
    std::wstring m_text;
};

CString operator+(const CString& left, const CString& right);
CString operator+(const CString& left, const wchar_t* right);
CString operator+(const wchar_t* left, const CString& right);
bool operator==(const CString& left, const CString& right);
bool operator==(const CString& left, const wchar_t* right);
bool operator==(const wchar_t* left, const CString& right);
bool operator!=(const CString& left, const CString& right);
bool operator!=(const CString& left, const wchar_t* right);
bool operator!=(const wchar_t* left, const CString& right);
