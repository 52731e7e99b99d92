#pragma once

#include <cassert>
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

    [[nodiscard]] T& value() & {
        assert(ok());
        return std::get<T>(m_state);
    }
    [[nodiscard]] const T& value() const& {
        assert(ok());
        return std::get<T>(m_state);
    }
    [[nodiscard]] T&& value() && {
        assert(ok());
        return std::get<T>(std::move(m_state));
    }

private:
    std::variant<T, std::error_code> m_state;
};

}  // namespace trovik
