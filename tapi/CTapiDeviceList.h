#ifndef DIALWERK_TAPI_CTAPIDEVICELIST_H
#define DIALWERK_TAPI_CTAPIDEVICELIST_H

#include "TapiPlatform.h"

#include <memory>
#include <mutex>
#include <utility>
#include <vector>

/// The session's owned line or phone objects, indexed by device identifier, with
/// the device count that bounds every lookup.
template <class Device> class CTapiDeviceList {
public:
    /// The object of a device identifier, or null when it is not below the count.
    Device *Get(DWORD deviceId) const
    {
        std::lock_guard lock(mutex_);
        return deviceId < count_ && deviceId < objects_.size() ? objects_[deviceId].get() : nullptr;
    }

    DWORD Count() const
    {
        std::lock_guard lock(mutex_);
        return count_;
    }

    void SetCount(DWORD count)
    {
        std::lock_guard lock(mutex_);
        count_ = count;
    }

    /// Appends the objects of the initial devices, in identifier order.
    void Fill(std::vector<std::unique_ptr<Device>> objects)
    {
        std::lock_guard lock(mutex_);
        for (auto &object : objects)
            objects_.push_back(std::move(object));
    }

    /// Appends a device created later; it must carry the next identifier. Raises the
    /// count and runs the object's OnDeviceCreated hook under the lock.
    void Append(DWORD deviceId, std::unique_ptr<Device> object)
    {
        std::lock_guard lock(mutex_);
        if (deviceId != count_ || objects_.size() != count_)
            return;
        objects_.push_back(std::move(object));
        ++count_;
        objects_.back()->OnDeviceCreated();
    }

    /// Empties the list and sets the count to 0; the caller destroys the objects.
    std::vector<std::unique_ptr<Device>> TakeAll()
    {
        std::lock_guard lock(mutex_);
        count_ = 0;
        return std::exchange(objects_, {});
    }

    /// The list's lock, for nesting lines before phones.
    std::recursive_mutex &Lock() const { return mutex_; }

private:
    // Guards count_ and objects_. The lines list is taken before the phones list (only
    // Shutdown nests them); a device's own locks may be taken inside it.
    mutable std::recursive_mutex mutex_;
    DWORD count_ = 0;
    std::vector<std::unique_ptr<Device>> objects_;
};

#endif
