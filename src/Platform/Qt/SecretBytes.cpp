#include "Platform/Qt/SecretBytes.h"

#include <cstring>
#include <string.h>

namespace {
void wipe(std::vector<char>& bytes)
{
    // Over the whole reserved buffer, not only the part in use.
    if (bytes.capacity() > 0)
        explicit_bzero(bytes.data(), bytes.capacity());
}
} // namespace

SecretBytes::SecretBytes() { m_bytes.reserve(initialCapacity); }

SecretBytes::~SecretBytes() { clear(); }

SecretBytes::SecretBytes(SecretBytes&& other) noexcept
    : m_bytes(std::move(other.m_bytes))
{
}

SecretBytes& SecretBytes::operator=(SecretBytes&& other) noexcept
{
    if (this != &other) {
        clear();
        m_bytes = std::move(other.m_bytes);
    }
    return *this;
}

void SecretBytes::append(const QString& text)
{
    QByteArray utf8 = text.toUtf8();
    if (m_bytes.size() + std::size_t(utf8.size()) > m_bytes.capacity()) {
        // Move to a bigger buffer by hand so the old one is wiped first.
        std::vector<char> bigger;
        bigger.reserve(2 * (m_bytes.size() + std::size_t(utf8.size())));
        bigger.assign(m_bytes.begin(), m_bytes.end());
        wipe(m_bytes);
        m_bytes.swap(bigger);
    }
    m_bytes.insert(m_bytes.end(), utf8.cbegin(), utf8.cend());
    explicit_bzero(utf8.data(), std::size_t(utf8.size()));
}

void SecretBytes::removeLastCharacter()
{
    // Continuation bytes of UTF-8 are 10xxxxxx.
    while (!m_bytes.empty()) {
        const auto byte = static_cast<unsigned char>(m_bytes.back());
        m_bytes.back() = 0;
        m_bytes.pop_back();
        if ((byte & 0xC0) != 0x80)
            break;
    }
}

void SecretBytes::clear()
{
    wipe(m_bytes);
    m_bytes.clear();
}

int SecretBytes::characterCount() const
{
    int count = 0;
    for (const char c : m_bytes)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++count;
    return count;
}
