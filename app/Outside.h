#pragma once

#include <memory>
#include <utility>
#include <vector>

// The program's ways out to the world around it: the disk, the clocks, the
// desktop, the user's answers. Each way is a type T, an interface or a set of
// values, whose program's own instance is defined beside T as
// Outside<T>::real(). A test puts a stand-in in its place; the test harness
// calls OutsideWorld::restoreAll() around every test function, so no stand-in
// outlives the test that put it there.
class OutsideWorld {
public:
    // Puts the program's own back in every place a stand-in took.
    static void restoreAll()
    {
        for (void (*restore)() : restorers())
            restore();
    }

protected:
    static std::vector<void (*)()> &restorers()
    {
        static std::vector<void (*)()> list;
        return list;
    }
};

template <typename T> class Outside : OutsideWorld {
public:
    // The stand-in in place, else the program's own.
    static T &current() { return s_standIn ? *s_standIn : real(); }

    // `standIn` (not owned) takes the place of the program's own.
    static void replace(T &standIn) { put(&standIn, nullptr); }
    // The same with a stand-in made here, kept until it is restored.
    template <typename StandIn = T, typename... Args> static StandIn &emplace(Args &&...args)
    {
        auto made = std::make_unique<StandIn>(std::forward<Args>(args)...);
        StandIn &standIn = *made;
        put(&standIn, std::move(made));
        return standIn;
    }
    // The program's own back now.
    static void restore()
    {
        s_standIn = nullptr;
        s_owned.reset();
    }

private:
    static T &real();

    static void put(T *standIn, std::unique_ptr<T> owned)
    {
        if (!s_listed)
            restorers().push_back(&Outside::restore);
        s_listed = true;
        s_standIn = standIn;
        s_owned = std::move(owned); // the previous one goes only once it is out of use
    }

    static inline T *s_standIn = nullptr;
    static inline std::unique_ptr<T> s_owned;
    static inline bool s_listed = false;
};
