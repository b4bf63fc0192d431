#pragma once

#include <QString>

#include <memory>

class Registry;

// The send path's way into the service. Made from the settings store, which it reads at
// every request (address, transport, proxy), so it holds no copy that could go stale; what
// a window must do after a send comes back in the result, not through a global.
class ServiceClient {
public:
    explicit ServiceClient(std::shared_ptr<Registry> store);

    Registry& store() const { return *m_store; }

    struct SendExchange {
        enum class Delivery {
            Replied,       // `reply` holds the service's answer
            NotSent,       // the request never reached the service: nothing was charged
            LostAfterSend, // the request went out whole and its reply never came back
        };
        Delivery delivery = Delivery::NotSent;
        QString reply;     // line breaks as CR LF
        QString failure;   // what went wrong, when there is no reply
        bool paid = false; // a send the service answered: the balance is worth a refresh
    };

    // Sends `text` to `number` (a group's numbers joined by "|") with a delivery delay in
    // minutes, waiting for the reply however long it takes. A failing settings store throws
    // its RegistryError before anything goes out.
    SendExchange SendSms(const QString& userKey, const QString& sender, const QString& text,
                         const QString& number, int delayMinutes) const;

private:
    std::shared_ptr<Registry> m_store;
};
