#include "device/ftdi_link.h"

#include <ftdi.h>
#include <libusb.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstring>
#include <thread>

#include "device/rx_queue.h"

namespace tovan {

namespace {

constexpr uint16_t Ftdi_Vendor = 0x0403;
// Control transfers (set-up, purge, reset) give up after this long.
constexpr int Control_Timeout_Ms = 1000;
// The reader's bulk-in transfers wake up at least this often to see the
// stop request. The chip itself answers every latency period, so this only
// matters for a device that stopped answering.
constexpr unsigned Reader_Poll_Ms = 100;
constexpr size_t Reader_Transfer_Bytes = 16384;  // a multiple of 64 and 512
constexpr size_t Write_Chunk_Bytes = 65536;
constexpr size_t Description_Bytes = 64;  // with the terminating zero

int Channels_Of(uint16_t product_id) {
    switch (product_id) {
        case 0x6010:
            return 2;  // FT2232C/D/H
        case 0x6011:
            return 4;  // FT4232H
        default:
            return 1;
    }
}

uint32_t Location_Of(libusb_device* dev, uint8_t channel) {
    uint8_t ports[8] = {};
    int depth = libusb_get_port_numbers(dev, ports, static_cast<int>(sizeof ports));
    if (depth < 0) depth = 0;
    return Pack_Location(libusb_get_bus_number(dev),
                         std::span<const uint8_t>(ports, static_cast<size_t>(depth)),
                         libusb_get_device_address(dev), channel);
}

// Owns a libftdi context and its device list.
struct Scan {
    ftdi_context* ctx = nullptr;
    ftdi_device_list* devices = nullptr;
    int rc = 0;

    Scan() {
        ctx = ftdi_new();
        if (ctx == nullptr) return;
        ctx->module_detach_mode = AUTO_DETACH_REATACH_SIO_MODULE;
        rc = ftdi_usb_find_all(ctx, &devices, 0, 0);  // 0, 0: the FTDI default ids
    }
    ~Scan() {
        if (devices != nullptr) ftdi_list_free(&devices);
        if (ctx != nullptr) ftdi_free(ctx);
    }
    Scan(const Scan&) = delete;
    Scan& operator=(const Scan&) = delete;

    // Gives up ownership of the context (after a successful open).
    ftdi_context* Release_Context() {
        if (devices != nullptr) ftdi_list_free(&devices);
        ftdi_context* c = ctx;
        ctx = nullptr;
        return c;
    }
};

}  // namespace

Ft_Status Map_Ftdi_Error(int rc, Ftdi_Op op) {
    if (rc >= 0) return Ft_Ok;
    switch (op) {
        case Ftdi_Op::Init:
            return Ft_Device_Not_Found;  // no USB access at all
        case Ftdi_Op::List:
            return rc == -3 ? Ft_Insufficient_Resources : Ft_Io_Error;
        case Ftdi_Op::Strings:
            if (rc == -1) return Ft_Invalid_Parameter;
            if (rc == -4) return Ft_Device_Not_Opened;  // no permission or gone
            return Ft_Io_Error;
        case Ftdi_Op::Open:
            switch (rc) {
                case -3:  // configuration refused
                case -4:  // libusb_open failed (permission)
                case -5:  // interface claimed by someone else
                case -8:  // inappropriate permissions
                case -11:  // kernel driver could not be detached
                    return Ft_Device_Not_Opened;
                default:
                    return Ft_Io_Error;
            }
        case Ftdi_Op::Reset:
        case Ftdi_Op::Line_Property:
        case Ftdi_Op::Flow_Control:
        case Ftdi_Op::Purge:
            return rc == -2 ? Ft_Invalid_Handle : Ft_Io_Error;
        case Ftdi_Op::Baud_Rate:
            if (rc == -1) return Ft_Invalid_Baud_Rate;
            return rc == -3 ? Ft_Invalid_Handle : Ft_Io_Error;
        case Ftdi_Op::Latency:
            if (rc == -1) return Ft_Invalid_Parameter;
            return rc == -3 ? Ft_Invalid_Handle : Ft_Io_Error;
        case Ftdi_Op::Read:
        case Ftdi_Op::Write:
        case Ftdi_Op::Cycle_Port:
            switch (rc) {
                case LIBUSB_ERROR_TIMEOUT:
                case LIBUSB_ERROR_INTERRUPTED:
                    return op == Ftdi_Op::Cycle_Port ? Ft_Io_Error : Ft_Ok;
                case LIBUSB_ERROR_NOT_FOUND:
                    // After a port reset: the device re-enumerated, as asked.
                    return op == Ftdi_Op::Cycle_Port ? Ft_Ok : Ft_Io_Error;
                case LIBUSB_ERROR_NO_MEM:
                    return Ft_Insufficient_Resources;
                case LIBUSB_ERROR_INVALID_PARAM:
                    return Ft_Invalid_Parameter;
                case -666:  // libftdi: no device open on the context
                    return Ft_Invalid_Handle;
                default:  // I/O, pipe, overflow, no device, busy, other
                    return op == Ftdi_Op::Write ? Ft_Failed_To_Write_Device : Ft_Io_Error;
            }
    }
    return Ft_Other_Error;
}

uint32_t Pack_Location(uint8_t bus, std::span<const uint8_t> ports, uint8_t address,
                       uint8_t channel) {
    const uint32_t head = (uint32_t{bus} << 24) | (channel & 0x0Fu);
    const bool fits = !ports.empty() && ports.size() <= 5 &&
                      std::all_of(ports.begin(), ports.end(),
                                  [](uint8_t p) { return p >= 1 && p <= 15; });
    if (!fits) return head | (uint32_t{address} << 4);
    uint32_t path = 0;
    for (size_t i = 0; i < ports.size(); ++i) path |= uint32_t{ports[i]} << (20 - 4 * i);
    return head | path;
}

size_t Strip_Modem_Status(uint8_t* data, size_t length, size_t packet_size) {
    if (packet_size <= 2) return 0;
    size_t out = 0;
    for (size_t pos = 0; pos < length; pos += packet_size) {
        const size_t packet = std::min(packet_size, length - pos);
        if (packet <= 2) continue;
        std::memmove(data + out, data + pos + 2, packet - 2);
        out += packet - 2;
    }
    return out;
}

// One open channel. ctx_mutex serialises every libftdi/libusb call but the
// reader's bulk-in transfers; the reader only uses the libusb handle and
// endpoint copied here at open, which stay valid until it is joined.
struct Ftdi_Link::Device {
    explicit Device(ftdi_context* c)
        : ctx(c),
          usb(c->usb_dev),
          bulk_in(static_cast<unsigned char>(c->out_ep)),  // libftdi names endpoints from the chip's side
          bulk_out(static_cast<unsigned char>(c->in_ep)),
          packet_size(c->max_packet_size > 2 ? c->max_packet_size : 64) {}

    ~Device() { Shut_Down(false); }

    void Start() {
        reader = std::thread([this] { Reader_Loop(); });
    }

    void Reader_Loop() {
        std::vector<uint8_t> buffer(Reader_Transfer_Bytes);
        while (!stop.load()) {
            const uint64_t epoch = rx.Epoch();
            int got = 0;
            const int rc = libusb_bulk_transfer(usb, bulk_in, buffer.data(),
                                                static_cast<int>(buffer.size()), &got,
                                                Reader_Poll_Ms);
            if (got > 0) {
                const size_t n =
                    Strip_Modem_Status(buffer.data(), static_cast<size_t>(got), packet_size);
                rx.Push(buffer.data(), n, epoch);
            }
            if (rc == 0 || rc == LIBUSB_ERROR_TIMEOUT || rc == LIBUSB_ERROR_INTERRUPTED ||
                rc == LIBUSB_ERROR_OVERFLOW)
                continue;
            rx.Fail(Map_Ftdi_Error(rc, Ftdi_Op::Read));
            break;
        }
    }

    // Stops the reader and releases the device; with `cycle` the USB port
    // is reset first. Returns the status of the port reset.
    Ft_Status Shut_Down(bool cycle) {
        rx.Close();
        stop.store(true);
        if (reader.joinable()) reader.join();
        std::lock_guard lock(ctx_mutex);
        if (ctx == nullptr) return Ft_Invalid_Handle;
        Ft_Status status = Ft_Ok;
        if (cycle) status = Map_Ftdi_Error(libusb_reset_device(ctx->usb_dev), Ftdi_Op::Cycle_Port);
        ftdi_usb_close(ctx);  // after a port reset the release may fail; the handle goes anyway
        ftdi_free(ctx);
        ctx = nullptr;
        return status;
    }

    std::mutex ctx_mutex;
    ftdi_context* ctx;  // null once closed
    libusb_device_handle* const usb;
    const unsigned char bulk_in;
    const unsigned char bulk_out;
    const size_t packet_size;

    Rx_Queue rx{Rx_Queue_Bytes};
    std::atomic<bool> stop{false};
    std::thread reader;
    std::atomic<uint32_t> read_timeout_ms{500};
    std::atomic<uint32_t> write_timeout_ms{500};
};

Ftdi_Link::Ftdi_Link() = default;

Ftdi_Link::~Ftdi_Link() {
    std::map<Dev_Handle, std::shared_ptr<Device>> all;
    {
        std::lock_guard lock(devices_mutex_);
        all.swap(devices_);
    }
    for (auto& [h, d] : all) d->Shut_Down(false);
}

std::shared_ptr<Ftdi_Link::Device> Ftdi_Link::Find(Dev_Handle h) const {
    std::lock_guard lock(devices_mutex_);
    auto it = devices_.find(h);
    return it == devices_.end() ? nullptr : it->second;
}

std::shared_ptr<Ftdi_Link::Device> Ftdi_Link::Take(Dev_Handle h) {
    std::lock_guard lock(devices_mutex_);
    auto it = devices_.find(h);
    if (it == devices_.end()) return nullptr;
    auto d = std::move(it->second);
    devices_.erase(it);
    return d;
}

// --- device list -------------------------------------------------------------

Ft_Status Ftdi_Link::List_Count(uint32_t* count) {
    if (count == nullptr) return Ft_Invalid_Parameter;
    std::lock_guard lock(list_mutex_);
    list_.clear();
    *count = 0;
    Scan scan;
    if (scan.ctx == nullptr) return Ft_Ok;  // libusb unavailable: no devices
    if (scan.rc < 0) return Map_Ftdi_Error(scan.rc, Ftdi_Op::List);

    for (ftdi_device_list* p = scan.devices; p != nullptr; p = p->next) {
        libusb_device_descriptor desc{};
        const int channels =
            libusb_get_device_descriptor(p->dev, &desc) == 0 ? Channels_Of(desc.idProduct) : 1;
        char product[Description_Bytes] = {};
        const int rc = ftdi_usb_get_strings(scan.ctx, p->dev, nullptr, 0, product,
                                            static_cast<int>(sizeof product), nullptr, 0);
        if (rc < 0 && scan.ctx->usb_dev != nullptr) {
            // Some failures leave the device open on the scanning context,
            // which would make the next device's query read this one.
            libusb_close(scan.ctx->usb_dev);
            scan.ctx->usb_dev = nullptr;
        }
        const Ft_Status desc_status = Map_Ftdi_Error(rc, Ftdi_Op::Strings);
        product[sizeof product - 1] = '\0';
        for (int ch = 0; ch < channels; ++ch) {
            List_Entry e;
            e.location = Location_Of(p->dev, static_cast<uint8_t>(ch));
            e.description_status = desc_status;
            if (desc_status == Ft_Ok) {
                e.description = product;
                if (channels > 1) {
                    e.description.resize(std::min(e.description.size(), Description_Bytes - 3));
                    e.description += ' ';
                    e.description += static_cast<char>('A' + ch);
                }
            }
            list_.push_back(std::move(e));
        }
    }
    *count = static_cast<uint32_t>(list_.size());
    return Ft_Ok;
}

Ft_Status Ftdi_Link::List_Location(uint32_t index, uint32_t* location) {
    if (location == nullptr) return Ft_Invalid_Parameter;
    std::lock_guard lock(list_mutex_);
    if (index >= list_.size()) return Ft_Device_Not_Found;
    if (list_[index].location_status != Ft_Ok) return list_[index].location_status;
    *location = list_[index].location;
    return Ft_Ok;
}

Ft_Status Ftdi_Link::List_Description(uint32_t index, std::string* description) {
    if (description == nullptr) return Ft_Invalid_Parameter;
    std::lock_guard lock(list_mutex_);
    if (index >= list_.size()) return Ft_Device_Not_Found;
    if (list_[index].description_status != Ft_Ok) return list_[index].description_status;
    *description = list_[index].description;
    return Ft_Ok;
}

// --- open and close ------------------------------------------------------------

Ft_Status Ftdi_Link::Open_By_Location(uint32_t location, Dev_Handle* handle) {
    if (handle == nullptr) return Ft_Invalid_Parameter;
    // Each open device gets its own libftdi context (and libusb context),
    // found by a fresh scan so that the device belongs to that context.
    Scan scan;
    if (scan.ctx == nullptr) return Map_Ftdi_Error(-1, Ftdi_Op::Init);
    if (scan.rc < 0) return Map_Ftdi_Error(scan.rc, Ftdi_Op::List);

    libusb_device* found = nullptr;
    int channel = 0;
    for (ftdi_device_list* p = scan.devices; p != nullptr && found == nullptr; p = p->next) {
        libusb_device_descriptor desc{};
        const int channels =
            libusb_get_device_descriptor(p->dev, &desc) == 0 ? Channels_Of(desc.idProduct) : 1;
        for (int ch = 0; ch < channels; ++ch) {
            if (Location_Of(p->dev, static_cast<uint8_t>(ch)) == location) {
                found = p->dev;
                channel = ch;
                break;
            }
        }
    }
    if (found == nullptr) return Ft_Device_Not_Found;

    ftdi_set_interface(scan.ctx, static_cast<ftdi_interface>(INTERFACE_A + channel));
    const int rc = ftdi_usb_open_dev(scan.ctx, found);
    if (rc < 0) return Map_Ftdi_Error(rc, Ftdi_Op::Open);
    ftdi_context* ctx = scan.Release_Context();
    ctx->usb_write_timeout = Control_Timeout_Ms;
    ctx->usb_read_timeout = Control_Timeout_Ms;
    // No bit-bang or synchronous FIFO mode is asked for: this returns the
    // chip to the interface its EEPROM configures, which for the
    // instrument's bridge is the asynchronous byte FIFO (as the vendor
    // driver leaves it). A failure here is harmless and ignored.
    ftdi_set_bitmode(ctx, 0x00, BITMODE_RESET);

    auto device = std::make_shared<Device>(ctx);
    device->Start();
    std::lock_guard lock(devices_mutex_);
    while (next_handle_ == 0 || devices_.count(next_handle_) != 0) ++next_handle_;
    const Dev_Handle h = next_handle_++;
    devices_.emplace(h, std::move(device));
    *handle = h;
    return Ft_Ok;
}

Ft_Status Ftdi_Link::Close(Dev_Handle h) {
    std::shared_ptr<Device> d = Take(h);
    if (d == nullptr) return Ft_Invalid_Handle;
    const Ft_Status s = d->Shut_Down(false);
    return s == Ft_Invalid_Handle ? s : Ft_Ok;
}

Ft_Status Ftdi_Link::Cycle_Port(Dev_Handle h) {
    std::shared_ptr<Device> d = Take(h);
    if (d == nullptr) return Ft_Invalid_Handle;
    return d->Shut_Down(true);
}

// --- set-up --------------------------------------------------------------------

template <class F>
Ft_Status Ftdi_Link::With_Context(const std::shared_ptr<Device>& d, F f) {
    if (d == nullptr) return Ft_Invalid_Handle;
    std::lock_guard lock(d->ctx_mutex);
    if (d->ctx == nullptr) return Ft_Invalid_Handle;
    return f(d->ctx);
}

Ft_Status Ftdi_Link::Reset_Device(Dev_Handle h) {
    return With_Context(Find(h), [](ftdi_context* c) {
        return Map_Ftdi_Error(ftdi_usb_reset(c), Ftdi_Op::Reset);
    });
}

Ft_Status Ftdi_Link::Set_Divisor(Dev_Handle h, uint16_t divisor) {
    const int baud = divisor == 0 ? 3000000 : 3000000 / divisor;
    return With_Context(Find(h), [baud](ftdi_context* c) {
        return Map_Ftdi_Error(ftdi_set_baudrate(c, baud), Ftdi_Op::Baud_Rate);
    });
}

Ft_Status Ftdi_Link::Set_Data_Characteristics(Dev_Handle h, uint8_t bits, uint8_t stop,
                                              uint8_t parity) {
    if ((bits != 7 && bits != 8) || (stop != 0 && stop != 2) || parity > 4)
        return Find(h) == nullptr ? Ft_Invalid_Handle : Ft_Invalid_Parameter;
    return With_Context(Find(h), [=](ftdi_context* c) {
        const int rc = ftdi_set_line_property(c, bits == 7 ? BITS_7 : BITS_8,
                                              stop == 0 ? STOP_BIT_1 : STOP_BIT_2,
                                              static_cast<ftdi_parity_type>(parity));
        return Map_Ftdi_Error(rc, Ftdi_Op::Line_Property);
    });
}

Ft_Status Ftdi_Link::Set_Flow_Control(Dev_Handle h, uint16_t mode, uint8_t xon, uint8_t xoff) {
    if (mode != SIO_DISABLE_FLOW_CTRL && mode != SIO_RTS_CTS_HS && mode != SIO_DTR_DSR_HS &&
        mode != SIO_XON_XOFF_HS)
        return Find(h) == nullptr ? Ft_Invalid_Handle : Ft_Invalid_Parameter;
    return With_Context(Find(h), [=](ftdi_context* c) {
        const int rc = mode == SIO_XON_XOFF_HS ? ftdi_setflowctrl_xonxoff(c, xon, xoff)
                                               : ftdi_setflowctrl(c, mode);
        return Map_Ftdi_Error(rc, Ftdi_Op::Flow_Control);
    });
}

Ft_Status Ftdi_Link::Set_Timeouts(Dev_Handle h, uint32_t read_ms, uint32_t write_ms) {
    std::shared_ptr<Device> d = Find(h);
    if (d == nullptr) return Ft_Invalid_Handle;
    d->read_timeout_ms.store(read_ms);
    d->write_timeout_ms.store(write_ms);
    return Ft_Ok;
}

Ft_Status Ftdi_Link::Set_Latency_Timer(Dev_Handle h, uint8_t ms) {
    return With_Context(Find(h), [ms](ftdi_context* c) {
        return Map_Ftdi_Error(ftdi_set_latency_timer(c, ms), Ftdi_Op::Latency);
    });
}

Ft_Status Ftdi_Link::Set_Event_Notification(Dev_Handle h, uint32_t mask,
                                            Manual_Reset_Event* event) {
    std::shared_ptr<Device> d = Find(h);
    if (d == nullptr) return Ft_Invalid_Handle;
    d->rx.Set_Event((mask & Event_Rx_Char) != 0 ? event : nullptr);
    return Ft_Ok;
}

// --- byte stream -----------------------------------------------------------------

Ft_Status Ftdi_Link::Purge(Dev_Handle h, uint32_t mask) {
    std::shared_ptr<Device> d = Find(h);
    return With_Context(d, [&](ftdi_context* c) {
        Ft_Status s = Ft_Ok;
        if ((mask & Purge_Tx) != 0) s = Map_Ftdi_Error(ftdi_tcoflush(c), Ftdi_Op::Purge);
        if ((mask & Purge_Rx) != 0) {
            // The chip first, then the queue: bytes of a transfer that was
            // under way are of the old generation and are dropped.
            const Ft_Status r = Map_Ftdi_Error(ftdi_tciflush(c), Ftdi_Op::Purge);
            d->rx.Clear();
            if (s == Ft_Ok) s = r;
        }
        return s;
    });
}

Ft_Status Ftdi_Link::Get_Queue_Status(Dev_Handle h, uint32_t* rx_bytes) {
    if (rx_bytes == nullptr) return Ft_Invalid_Parameter;
    *rx_bytes = 0;
    std::shared_ptr<Device> d = Find(h);
    if (d == nullptr) return Ft_Invalid_Handle;
    return d->rx.Queued(rx_bytes);
}

Ft_Status Ftdi_Link::Get_Status(Dev_Handle h, uint32_t* rx_bytes, uint32_t* tx_bytes,
                                uint32_t* event_status) {
    if (rx_bytes == nullptr || tx_bytes == nullptr || event_status == nullptr)
        return Ft_Invalid_Parameter;
    *tx_bytes = 0;
    *event_status = 0;
    return Get_Queue_Status(h, rx_bytes);
}

Ft_Status Ftdi_Link::Read(Dev_Handle h, uint8_t* buffer, uint32_t count, uint32_t* got) {
    if (got == nullptr || (buffer == nullptr && count > 0)) return Ft_Invalid_Parameter;
    *got = 0;
    std::shared_ptr<Device> d = Find(h);
    if (d == nullptr) return Ft_Invalid_Handle;
    return d->rx.Read(buffer, count, got, std::chrono::milliseconds(d->read_timeout_ms.load()));
}

Ft_Status Ftdi_Link::Write(Dev_Handle h, const uint8_t* buffer, uint32_t count,
                           uint32_t* written) {
    if (written == nullptr || (buffer == nullptr && count > 0)) return Ft_Invalid_Parameter;
    *written = 0;
    std::shared_ptr<Device> d = Find(h);
    return With_Context(d, [&](ftdi_context*) {
        // libusb directly rather than ftdi_write_data: a write time-out then
        // still tells how many bytes went out, as the vendor's call does.
        const uint32_t limit_ms = d->write_timeout_ms.load();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit_ms);
        uint32_t done = 0;
        Ft_Status s = Ft_Ok;
        while (done < count) {
            unsigned timeout = 0;  // libusb: no limit
            if (limit_ms != 0) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now());
                if (left.count() <= 0) break;
                timeout = static_cast<unsigned>(left.count());
            }
            const int chunk = static_cast<int>(std::min<size_t>(count - done, Write_Chunk_Bytes));
            int sent = 0;
            const int rc = libusb_bulk_transfer(d->usb, d->bulk_out,
                                                const_cast<unsigned char*>(buffer + done), chunk,
                                                &sent, timeout);
            done += static_cast<uint32_t>(std::max(sent, 0));
            if (rc == LIBUSB_ERROR_TIMEOUT) break;
            if (rc < 0) {
                s = Map_Ftdi_Error(rc, Ftdi_Op::Write);
                break;
            }
        }
        *written = done;
        return s;
    });
}

uint64_t Ftdi_Link::Dropped_Bytes(Dev_Handle h) const {
    std::shared_ptr<Device> d = Find(h);
    return d == nullptr ? 0 : d->rx.Dropped();
}

}  // namespace tovan
