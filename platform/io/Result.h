#pragma once

#include <cassert>
#include <cstdlib>
#include <system_error>
#include <utility>
#include <variant>

namespace trovik {

// A value or the reason there is none. Expected failures travel as values of this type;
// asking a failed result for its value is a programming error.
template <typename T>
class Result {
public:
    Result(T value) : m_state(std::move(value)) {}  // NOLINT(google-explicit-constructor)
    Result(std::error_code error) : m_state(error) { assert(error); }  // NOLINT

    [[nodiscard]] bool ok() const noexcept { return std::holds_alternative<T>(m_state); }
    explicit operator bool() const noexcept { return ok(); }

    [[nodiscard]] std::error_code error() const noexcept {
        const auto* error = std::get_if<std::error_code>(&m_state);
        return error != nullptr ? *error : std::error_code{};
    }

    [[nodiscard]] T& value() & noexcept { return *held(*this); }
    [[nodiscard]] const T& value() const& noexcept { return *held(*this); }
    [[nodiscard]] T&& value() && noexcept { return std::move(*held(*this)); }

private:
    // A failed result has no value: asking for it stops the program, it does not throw.
    template <typename Self>
    static auto* held(Self& self) noexcept {
        auto* stored = std::get_if<T>(&self.m_state);
        if (stored == nullptr) {
            std::abort();
        }
        return stored;
    }

    std::variant<T, std::error_code> m_state;
};

}  // namespace trovik
