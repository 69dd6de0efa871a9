#pragma once
// What a run must be given. Neither has a default, so a context or a front end's
// dependencies built without one of them do not compile; nothing fills a gap with
// the real world behind a test's back.

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <source_location>
#include <type_traits>
#include <utility>

namespace morvela {

// A seam: used like a pointer, never null. A null one ends the program at once,
// naming where it was given, instead of failing later far from the cause.
template <class T> class Nužan {
public:
    Nužan(T* p, std::source_location gdje = std::source_location::current()) : m_p(p) {
        if (!m_p) {
            std::fprintf(stderr, "%s:%u: a required seam was given a null pointer\n", gdje.file_name(),
                         unsigned(gdje.line()));
            std::abort();
        }
    }
    Nužan(T& r) : m_p(&r) {}
    Nužan(std::nullptr_t) = delete;

    T* operator->() const { return m_p; }
    T& operator*() const { return *m_p; }
    operator T*() const { return m_p; }

private:
    T* m_p;
};

// What a Zadan<T> is made from besides a T: anything a T is made from that is not
// already a T (a callback would otherwise hold a copy of itself).
template <class U, class T>
concept GradiviOd = std::is_constructible_v<T, U&&> && !std::is_base_of_v<T, std::remove_cvref_t<U>>;

// A value (a directory, a callback) that must be named where the whole is built,
// even when what is named is empty; used as the value itself.
template <class T> class Zadan : public T {
public:
    Zadan(T vrijednost) : T(std::move(vrijednost)) {}
    template <GradiviOd<T> U> Zadan(U&& vrijednost) : T(std::forward<U>(vrijednost)) {}
};

} // namespace morvela
