#pragma once

#include "serviceerror.h"

#include <optional>
#include <utility>
#include <variant>

namespace Tolvan {

// The outcome of an operation that can fail: its value, or the error to show.
template<typename T>
class Result {
public:
    Result(T value)
        : m_state(std::in_place_index<0>, std::move(value))
    {
    }
    Result(ServiceError error)
        : m_state(std::in_place_index<1>, std::move(error))
    {
    }

    bool isOk() const { return m_state.index() == 0; }
    explicit operator bool() const { return isOk(); }

    const T &value() const & { return std::get<0>(m_state); }
    T &value() & { return std::get<0>(m_state); }
    T &&value() && { return std::get<0>(std::move(m_state)); }
    const ServiceError &error() const { return std::get<1>(m_state); }

private:
    std::variant<T, ServiceError> m_state;
};

template<>
class Result<void> {
public:
    Result() = default;
    Result(ServiceError error)
        : m_error(std::move(error))
    {
    }

    bool isOk() const { return !m_error; }
    explicit operator bool() const { return isOk(); }
    const ServiceError &error() const { return *m_error; }

private:
    std::optional<ServiceError> m_error;
};

} // namespace Tolvan
