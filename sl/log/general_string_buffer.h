#pragma once

#include <memory>
#include <sstream>
#include <string>

namespace SL {

// A stream buffer that collects text and, on every flush, hands everything written since the
// previous flush to its printer.
class CGeneralStringBuffer : public std::stringbuf {
public:
    class IPrinter {
    public:
        virtual ~IPrinter() = default;
        virtual void Print(const std::string& text) = 0;
        // Shows one report: its message and, when there is one, the detail that says why. A
        // message box shows the detail as its informative text; a printer of plain lines puts
        // it on the line after the message, which is what this does unless overridden.
        virtual void PrintReport(const std::string& message, const std::string& detail) {
            Print(detail.empty() ? message + "\n" : message + "\n" + detail + "\n");
        }
    };

    explicit CGeneralStringBuffer(std::shared_ptr<IPrinter> printer);

    void SetPrinter(std::shared_ptr<IPrinter> printer);
    std::shared_ptr<IPrinter> GetPrinter() const { return printer_; }

protected:
    int sync() override;

private:
    std::shared_ptr<IPrinter> printer_;
};

} // namespace SL
