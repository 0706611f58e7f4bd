#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>
#include <utility>

// Why an operation failed, in words for the user: to Result what
// std::unexpected is to std::expected.
struct Failure {
    QString reason;
};

// The value of an operation or the reason it failed, in the manner of
// std::expected<T, QString>: test it as a bool, read the value with * or ->,
// the reason with error().
template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Failure failure) : m_reason(std::move(failure.reason)) {}

    explicit operator bool() const { return m_value.has_value(); }
    T &operator*() &
    {
        Q_ASSERT(m_value);
        return *m_value;
    }
    const T &operator*() const &
    {
        Q_ASSERT(m_value);
        return *m_value;
    }
    T &&operator*() &&
    {
        Q_ASSERT(m_value);
        return std::move(*m_value);
    }
    T *operator->() { return &**this; }
    const T *operator->() const { return &**this; }
    template <typename U> T value_or(U &&otherwise) const
    {
        return m_value ? *m_value : T(std::forward<U>(otherwise));
    }
    // Empty on success.
    const QString &error() const { return m_reason; }

private:
    std::optional<T> m_value;
    QString m_reason;
};

// Done, or the reason it was not.
template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : m_ok(false), m_reason(std::move(failure.reason)) {}

    explicit operator bool() const { return m_ok; }
    const QString &error() const { return m_reason; }

private:
    bool m_ok = true;
    QString m_reason;
};

// The result of an archive command and what the user is to read of it: a
// notice that stands whether the command succeeded or not (a journal that
// opening the archive set aside, the other place start-up chose), and, on
// failure, the reason.
template <typename T> class [[nodiscard]] Reported : public Result<T> {
public:
    using Result<T>::Result;
    Reported() = default;
    Reported(Result<T> result, QString notice) : Result<T>(std::move(result)), m_notice(std::move(notice)) {}

    const QString &notice() const { return m_notice; }
    // All the user is to read: the notice, then why it failed; empty when
    // there is nothing to tell.
    QString message() const
    {
        if (*this)
            return m_notice;
        return m_notice.isEmpty() ? this->error() : m_notice + QStringLiteral("\n\n") + this->error();
    }

private:
    QString m_notice;
};
