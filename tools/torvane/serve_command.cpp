// torvane serve: a local page that renders a template live while it is
// being written. Only 127.0.0.1 is served; the engine runs on the one thread
// that also answers the requests.
#if defined(_WIN32) && !defined(_WIN32_WINNT)
#define _WIN32_WINNT 0x0601
#endif
#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <list>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#endif

#include "platform/files.h"
#include "platform/message_box.h"
#include "tools/torvane/arguments.h"
#include "tools/torvane/cli_errors.h"
#include "tools/torvane/commands.h"
#include "tools/torvane/default_files.h"
#include "tools/torvane/host_from_files.h"
#include "tools/torvane/input_files.h"
#include "tools/torvane/preview_policy.h"
#include "tools/torvane/serve_page.h"
#include "tools/torvane/serve_paths.h"
#include "tools/torvane/serve_preview.h"

namespace torvane {

const char* const kServeHelp =
    "usage: torvane serve [--templates DIR] [--messages DIR] [--settings FILE]\n"
    "                     [--mailbox DIR] [--port N]\n"
    "\n"
    "Serves a page on http://127.0.0.1:N/ that renders a template for a message\n"
    "as render --preview does, with the template's check findings and the\n"
    "message's MIME tree, and renders again by itself when a template, message,\n"
    "settings or signature file is saved. Ctrl+C stops it and removes its\n"
    "temporary folder.\n"
    "\n"
    "  --templates DIR  every .tml below DIR can be chosen (default: the templates\n"
    "                   beside this tool, else its folder 'templates')\n"
    "  --messages DIR   every .eml below DIR can be chosen (default: the folder\n"
    "                   'messages' beside this tool)\n"
    "  --settings FILE  the plug-in's settings file (default: none: English,\n"
    "                   ConvertText and ResetCharset off)\n"
    "  --mailbox DIR    MailBox.ini and the $$$*.txt signature files (default: the\n"
    "                   folder 'mailbox' beside this tool, the sample mailbox of\n"
    "                   the release archive; else none)\n"
    "  --port N         the port (default 8470; 0 picks a free one)\n";

namespace {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = net::ip::tcp;

constexpr std::size_t kHeaderLimit = 8 * 1024;  // a request is its header: nothing takes a body
constexpr std::size_t kBodyLimit = 0;
constexpr std::size_t kConnectionLimit = 32;
constexpr auto kReadTimeout = std::chrono::seconds(10);
constexpr auto kWaitTimeout = std::chrono::seconds(20);  // a long poll answers at the latest then
constexpr auto kPollInterval = std::chrono::milliseconds(200);

const char* contentTypeOf(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    const std::string extension = dot == std::string::npos ? std::string() : path.substr(dot + 1);
    struct Type {
        const char* extension;
        const char* type;
    };
    static const Type kTypes[] = {{"html", "text/html; charset=utf-8"}, {"png", "image/png"},
                                  {"gif", "image/gif"},                  {"jpg", "image/jpeg"},
                                  {"jpeg", "image/jpeg"},                {"bmp", "image/bmp"},
                                  {"webp", "image/webp"},                {"svg", "image/svg+xml"}};
    for (const Type& known : kTypes) {
        if (extension == known.extension) return known.type;
    }
    return "application/octet-stream";
}

class Server;

// One connection: one request, one answer, then it closes.
class Connection : public std::enable_shared_from_this<Connection> {
public:
    Connection(tcp::socket socket, Server& server);
    void start();
    // A long poll waiting for a change is answered now.
    void wake() { waitTimer_.cancel(); }

private:
    void onRead(beast::error_code error);
    void answer(http::status status, std::string body, const char* type, const char* policy = nullptr);
    void answerRequest();
    void waitForChange(unsigned since);

    beast::tcp_stream stream_;
    Server& server_;
    std::shared_ptr<int> connectionToken_;
    beast::flat_buffer buffer_{kHeaderLimit + 1024};
    http::request_parser<http::string_body> parser_;
    http::response<http::string_body> response_;
    net::steady_timer waitTimer_;
};

class Server {
public:
    Server(net::io_context& io, PreviewState& preview, std::string temp, unsigned short port)
        : io_(io), preview_(preview), temp_(std::move(temp)), acceptor_(io), pollTimer_(io) {
        const tcp::endpoint endpoint(net::ip::make_address_v4("127.0.0.1"), port);
        acceptor_.open(endpoint.protocol());
#if !defined(_WIN32)
        acceptor_.set_option(tcp::acceptor::reuse_address(true));
#else
        // No other process may take over the port while it is served.
        using exclusive = net::detail::socket_option::boolean<SOL_SOCKET, SO_EXCLUSIVEADDRUSE>;
        acceptor_.set_option(exclusive(true));
#endif
        acceptor_.bind(endpoint);
        acceptor_.listen();
        port_ = acceptor_.local_endpoint().port();
        accept();
        poll();
    }

    unsigned short port() const { return port_; }
    PreviewState& preview() { return preview_; }
    const std::string& temp() const { return temp_; }
    // Each connection holds a copy: the count of copies is the count of connections.
    const std::shared_ptr<int>& connectionToken() const { return connectionToken_; }

    // The Host header must name this server: a page of another site that
    // resolves its own name to 127.0.0.1 gets nothing.
    bool isOwnHost(beast::string_view host) const {
        const std::string port = ":" + std::to_string(port_);
        return host == "127.0.0.1" + port || host == "localhost" + port;
    }

    void addWaiter(const std::shared_ptr<Connection>& waiter) { waiters_.push_back(waiter); }

private:
    void accept() {
        acceptor_.async_accept(io_, [this](beast::error_code error, tcp::socket socket) {
            if (error == net::error::operation_aborted) return;
            if (!error) {
                if (static_cast<std::size_t>(connectionToken_.use_count()) > kConnectionLimit) {
                    beast::error_code ignored;
                    socket.close(ignored);
                } else {
                    std::make_shared<Connection>(std::move(socket), *this)->start();
                }
            }
            accept();
        });
    }

    void poll() {
        pollTimer_.expires_after(kPollInterval);
        pollTimer_.async_wait([this](beast::error_code error) {
            if (error) return;
            if (preview_.poll()) {
                for (const std::weak_ptr<Connection>& waiter : waiters_) {
                    if (const auto connection = waiter.lock()) connection->wake();
                }
                waiters_.clear();
            }
            waiters_.remove_if([](const std::weak_ptr<Connection>& waiter) { return waiter.expired(); });
            poll();
        });
    }

    net::io_context& io_;
    PreviewState& preview_;
    std::string temp_;
    tcp::acceptor acceptor_;
    net::steady_timer pollTimer_;
    unsigned short port_ = 0;
    std::shared_ptr<int> connectionToken_ = std::make_shared<int>(0);
    std::list<std::weak_ptr<Connection>> waiters_;
};

Connection::Connection(tcp::socket socket, Server& server)
    : stream_(std::move(socket)),
      server_(server),
      connectionToken_(server.connectionToken()),
      waitTimer_(stream_.get_executor()) {
    parser_.header_limit(kHeaderLimit);
    parser_.body_limit(kBodyLimit);
}

void Connection::start() {
    stream_.expires_after(kReadTimeout);
    http::async_read(stream_, buffer_, parser_,
                     [self = shared_from_this()](beast::error_code error, std::size_t) { self->onRead(error); });
}

void Connection::answer(http::status status, std::string body, const char* type, const char* policy) {
    response_.result(status);
    response_.version(11);
    response_.set(http::field::server, "torvane");
    response_.set(http::field::content_type, type);
    response_.set(http::field::cache_control, "no-store");
    response_.set("X-Content-Type-Options", "nosniff");
    if (policy) response_.set("Content-Security-Policy", policy);
    response_.keep_alive(false);
    const bool head = parser_.is_header_done() && parser_.get().method() == http::verb::head;
    response_.body() = std::move(body);
    response_.prepare_payload();
    if (head) response_.body().clear();
    stream_.expires_after(kReadTimeout);
    http::async_write(stream_, response_, [self = shared_from_this()](beast::error_code, std::size_t) {
        beast::error_code ignored;
        self->stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
        self->stream_.close();
    });
}

void Connection::onRead(beast::error_code error) {
    if (error == http::error::header_limit || error == http::error::buffer_overflow) {
        return answer(http::status::request_header_fields_too_large, "request too large\n", "text/plain");
    }
    if (error == http::error::body_limit) {
        return answer(http::status::payload_too_large, "no request takes a body\n", "text/plain");
    }
    if (error == beast::error::timeout || error == http::error::end_of_stream || error == net::error::eof) {
        stream_.close();
        return;
    }
    if (error) return answer(http::status::bad_request, "bad request\n", "text/plain");
    answerRequest();
}

void Connection::answerRequest() {
    const auto& request = parser_.get();
    if (!server_.isOwnHost(request[http::field::host])) {
        return answer(http::status::misdirected_request, "unknown host\n", "text/plain");
    }
    if (request.method() != http::verb::get && request.method() != http::verb::head) {
        return answer(http::status::method_not_allowed, "only GET\n", "text/plain");
    }
    const std::string target(request.target());
    const std::size_t question = target.find('?');
    const std::string path = target.substr(0, question);
    const auto query = queryValues(question == std::string::npos ? std::string() : target.substr(question + 1));
    const auto value = [&query](const char* name) {
        const auto found = query.find(name);
        return found == query.end() ? std::string() : found->second;
    };
    PreviewState& preview = server_.preview();

    if (path == "/") return answer(http::status::ok, kServePageHtml, "text/html; charset=utf-8", kServePagePolicy);
    if (path == "/app.js") return answer(http::status::ok, kServePageScript, "text/javascript; charset=utf-8");
    if (path == "/api/choices") return answer(http::status::ok, preview.choicesJson(), "application/json");
    if (path == "/api/render") {
        PreviewChoice choice;
        choice.templateName = value("template");
        choice.messageName = value("message");
        choice.forward = value("forward") == "1";
        choice.charset = value("charset");
        choice.language = value("language");
        choice.zone = value("zone");
        if (const auto json = preview.renderJson(choice)) return answer(http::status::ok, *json, "application/json");
        return answer(http::status::not_found, "no such template or message\n", "text/plain");
    }
    if (path == "/api/wait") {
        const std::string since = value("since");
        if (since.empty() || since.size() > 9 || since.find_first_not_of("0123456789") != std::string::npos) {
            return answer(http::status::bad_request, "since must be a generation\n", "text/plain");
        }
        return waitForChange(static_cast<unsigned>(std::stoul(since)));
    }
    const std::string filesPrefix = "/files/";
    if (path.compare(0, filesPrefix.size(), filesPrefix) == 0) {
        if (const auto file = containedFile(server_.temp(), path.substr(filesPrefix.size()))) {
            try {
                return answer(http::status::ok, readInputFile(*file), contentTypeOf(*file), kPreviewPolicy);
            } catch (const UsageError&) {
            }
        }
    }
    answer(http::status::not_found, "not found\n", "text/plain");
}

void Connection::waitForChange(unsigned since) {
    const auto generationJson = [this] {
        return "{\"generation\":" + std::to_string(server_.preview().generation()) + "}";
    };
    if (since != server_.preview().generation()) return answer(http::status::ok, generationJson(), "application/json");
    // No read timeout while parked: the wait has its own.
    stream_.expires_never();
    server_.addWaiter(shared_from_this());
    waitTimer_.expires_after(kWaitTimeout);
    waitTimer_.async_wait([self = shared_from_this(), generationJson](beast::error_code) {
        self->answer(http::status::ok, generationJson(), "application/json");
    });
}

// Stops the server on Ctrl+C (and SIGTERM, or the console closing).
class StopOnSignal {
public:
    explicit StopOnSignal(net::io_context& io)
#if !defined(_WIN32)
        : signals_(io, SIGINT, SIGTERM) {
        signals_.async_wait([&io](beast::error_code error, int) {
            if (!error) io.stop();
        });
    }
#else
    {
        running_ = &io;
        SetConsoleCtrlHandler(&StopOnSignal::onControl, TRUE);
    }
    ~StopOnSignal() {
        SetConsoleCtrlHandler(&StopOnSignal::onControl, FALSE);
        running_ = nullptr;
    }
#endif
    StopOnSignal(const StopOnSignal&) = delete;
    StopOnSignal& operator=(const StopOnSignal&) = delete;

#if defined(_WIN32)
    // After the temporary folder is gone: a closing console may end the process now.
    static void cleanedUp() { cleaned_.store(true); }

private:
    // Runs on a thread of its own; the process ends when it returns from a
    // close, logoff or shutdown event, so it waits for the clean-up then.
    static BOOL WINAPI onControl(DWORD event) {
        if (net::io_context* io = running_.load()) io->stop();
        if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
            for (int waited = 0; waited < 100 && !cleaned_.load(); ++waited) Sleep(50);
        }
        return TRUE;
    }
    static inline std::atomic<net::io_context*> running_{nullptr};
    static inline std::atomic<bool> cleaned_{false};
#else
    static void cleanedUp() {}

private:
    net::signal_set signals_;
#endif
};

unsigned short portOf(const std::string& text) {
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos ||
        std::stoul(text) > 65535) {
        throw UsageError("--port takes a number from 0 to 65535, not '" + text + "'");
    }
    return static_cast<unsigned short>(std::stoul(text));
}

std::string requireFolder(const std::string& folder, const char* what) {
    if (!isDirectory(folder)) throw UsageError(std::string("cannot use ") + what + " '" + folder + "': not a folder");
    return folder;
}

// A folder serve takes by default: beside the tool (as unpacked from the
// release archive), never in the tree the tool was built from.
std::string folderBesideTool(const std::string& name, const char* option, const char* what) {
    const std::string beside = toolFolder() + name;
    if (!toolFolder().empty() && isDirectory(beside)) return asFolder(beside);
    throw UsageError(std::string("no ") + what + " beside torvane: give " + option + " DIR");
}

// The templates render takes by default, when they are beside the tool;
// else a folder "templates" beside it (the gallery).
std::string defaultTemplatesFolder() {
    if (!toolFolder().empty() && platform::fileExists(toolFolder() + "torvane.tml")) return toolFolder();
    return folderBesideTool("templates", "--templates", "templates folder");
}


}  // namespace

int serveCommand(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    const Arguments arguments =
        parseArguments(words, {"--templates", "--messages", "--settings", "--mailbox", "--port"}, {});
    if (!arguments.positional.empty()) throw UsageError("serve takes no file names (see 'torvane serve --help')");
    ServeFolders folders;
    folders.templates = arguments.has("--templates")
                            ? requireFolder(arguments.value("--templates"), "templates folder")
                            : defaultTemplatesFolder();
    folders.messages = arguments.has("--messages")
                           ? requireFolder(arguments.value("--messages"), "messages folder")
                           : folderBesideTool("messages", "--messages", "messages folder");
    // Without one, templates render as for a mailbox without MailBox.ini or signatures.
    folders.mailbox = mailboxFolder(arguments.value("--mailbox"), std::string());
    if (arguments.has("--settings")) {
        folders.settings = arguments.value("--settings");
        readInputFile(folders.settings);
    }
    const unsigned short port = portOf(arguments.value("--port", "8470"));
    platform::setMessageBoxSink([&err](const std::string& text, const std::string& caption) {
        err << "torvane: " << (caption.empty() ? std::string() : caption + ": ") << text << '\n';
    });

    folders.temp = makeFreshTempFolder();
    if (folders.mailbox.empty()) folders.mailbox = emptyMailboxIn(folders.temp);
    const auto removeTemp = [&folders, &err] {
        if (!removeOwnFolder(folders.temp, isRenderingFolder)) {
            err << "torvane: could not remove everything in " << folders.temp << '\n';
        }
        StopOnSignal::cleanedUp();
    };
    try {
        net::io_context io;
        StopOnSignal stop(io);
        PreviewState preview(folders);
        Server server(io, preview, folders.temp, port);
        err << "torvane: attachments and pictures go to " << folders.temp << '\n';
        out << "torvane: serving http://127.0.0.1:" << server.port() << "/ (Ctrl+C stops)" << std::endl;
        io.run();
    } catch (const boost::system::system_error& failure) {
        removeTemp();
        throw UsageError("cannot serve on 127.0.0.1:" + std::to_string(port) + ": " + failure.code().message());
    } catch (...) {
        removeTemp();
        throw;
    }
    removeTemp();
    out << "torvane: stopped" << std::endl;
    return 0;
}

}  // namespace torvane
