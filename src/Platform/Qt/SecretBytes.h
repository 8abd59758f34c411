#pragma once
// A password in memory: UTF-8 bytes in one buffer that is wiped (not just
// freed) when it shrinks, grows, is taken over or goes. Never copied.
#include <QString>
#include <cstddef>
#include <vector>

class SecretBytes {
public:
    SecretBytes();
    ~SecretBytes();
    SecretBytes(SecretBytes&& other) noexcept;
    SecretBytes& operator=(SecretBytes&& other) noexcept;
    SecretBytes(const SecretBytes&) = delete;
    SecretBytes& operator=(const SecretBytes&) = delete;

    void append(const QString& text);
    // Removes the last character (all bytes of its UTF-8 sequence).
    void removeLastCharacter();
    void clear();

    bool isEmpty() const { return m_bytes.empty(); }
    std::size_t size() const { return m_bytes.size(); }
    // The number of characters, for drawing one dot per character.
    int characterCount() const;
    const char* data() const { return m_bytes.data(); }

    // Bytes reserved up front, so typing a password never reallocates.
    static constexpr std::size_t initialCapacity = 256;

private:
    std::vector<char> m_bytes;
};
