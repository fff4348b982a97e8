// The owners of walk callbacks that are alive. A reply can arrive after its owner has gone (a step
// still in flight when the session gave up waiting for it): the callback does its work through Call,
// which finds the owner here under the registry's lock, or drops the work. An owner is added when it
// is built and removed when it goes, after its sessions were closed; so while Call runs the work the
// owner cannot be destroyed. The work must not wait for another thread that may be adding or
// removing an owner.
#pragma once

#include <mutex>

class CLiveOwners {
public:
    static void Add(const void* pOwner);
    static void Remove(const void* pOwner);

    // Runs work with pOwner known to be alive; false, without running it, when pOwner has gone.
    template <class Work>
    static bool Call(const void* pOwner, Work&& work)
    {
        std::lock_guard lock(Mutex());
        if (!Contains(pOwner))
            return false;
        work();
        return true;
    }

private:
    static std::mutex& Mutex();
    static bool Contains(const void* pOwner);  // with Mutex() held
};
