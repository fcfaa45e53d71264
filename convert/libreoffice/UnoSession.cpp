#include "convert/libreoffice/UnoSession.h"

#include "convert/LibreOfficeInstall.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <com/sun/star/awt/AsyncCallback.hpp>
#include <com/sun/star/awt/XCallback.hpp>
#include <com/sun/star/awt/XRequestCallback.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/document/BrokenPackageRequest.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/NoSuchFilterRequest.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/lang/XEventListener.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/task/ErrorCodeRequest.hpp>
#include <com/sun/star/task/PasswordRequest.hpp>
#include <com/sun/star/task/XInteractionAbort.hpp>
#include <com/sun/star/task/XInteractionApprove.hpp>
#include <com/sun/star/task/XInteractionDisapprove.hpp>
#include <com/sun/star/task/XInteractionHandler.hpp>
#include <com/sun/star/task/XInteractionRequest.hpp>
#include <com/sun/star/ucb/InteractiveIOException.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <cppuhelper/implbase1.hxx>
#include <osl/file.hxx>
#include <rtl/ref.hxx>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace css = com::sun::star;
using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using rtl::OUString;

namespace qf::lo {

namespace {

QString Unreadable()
{
    return QCoreApplication::translate("Conversion",
                                       "is not a document the word processor can read");
}

OUString ToOu(const QString &s)
{
    return OUString(reinterpret_cast<const sal_Unicode *>(s.utf16()), sal_Int32(s.size()));
}

QString ToQt(const OUString &s)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(s.getStr()), s.getLength());
}

css::beans::PropertyValue Property(const char *name, const Any &value)
{
    css::beans::PropertyValue p;
    p.Name = OUString::createFromAscii(name);
    p.Value = value;
    return p;
}

bool FileUrl(const QString &path, OUString *url)
{
    return osl::FileBase::getFileURLFromSystemPath(ToOu(QFileInfo(path).absoluteFilePath()),
                                                   *url) == osl::FileBase::E_None;
}

// Local UNO, bootstrapped once per process; never torn down, as offices may still hold it.
std::once_flag uno_once;
Reference<css::uno::XComponentContext> *local_context = nullptr;
QString uno_failure;

template <class T> bool Is(const css::uno::Type &type)
{
    return cppu::UnoType<T>::get().isAssignableFrom(type);
}

// The reason behind a question the office asks while loading, in words for the user.
QString ReasonFor(const Any &request)
{
    const css::uno::Type type = request.getValueType();
    if (Is<css::task::PasswordRequest>(type))
        return QCoreApplication::translate("Conversion", "is protected by a password");
    if (Is<css::document::BrokenPackageRequest>(type))
        return QCoreApplication::translate("Conversion", "is damaged");
    if (Is<css::document::NoSuchFilterRequest>(type))
        return Unreadable();
    css::ucb::InteractiveIOException io;
    if (request >>= io) {
        switch (io.Code) {
        case css::ucb::IOErrorCode_NOT_EXISTING:
        case css::ucb::IOErrorCode_NOT_EXISTING_PATH:
            return QCoreApplication::translate("Conversion", "does not exist");
        case css::ucb::IOErrorCode_ACCESS_DENIED:
        case css::ucb::IOErrorCode_LOCKING_VIOLATION:
            return QCoreApplication::translate("Conversion", "cannot be read: access denied");
        case css::ucb::IOErrorCode_WRONG_FORMAT:
            return Unreadable();
        default:
            break;
        }
    }
    css::task::ErrorCodeRequest code;
    if (request >>= code)
        return QCoreApplication::translate(
                   "Conversion", "could not be read (the word processor reported error 0x%1)")
            .arg(sal_uInt32(code.ErrCode), 0, 16);
    css::uno::Exception e;
    const QString detail =
        (request >>= e) && !e.Message.isEmpty() ? ToQt(e.Message) : ToQt(type.getTypeName());
    return QCoreApplication::translate("Conversion", "could not be opened (%1)").arg(detail);
}

// Plain-text import takes any bytes: binary content there means the file is no document.
bool LoadedAsText(const Reference<css::lang::XComponent> &document, const QString &path)
{
    Reference<css::frame::XModel> model(document, UNO_QUERY);
    if (!model.is())
        return false;
    OUString filter;
    const Sequence<css::beans::PropertyValue> arguments = model->getArgs();
    for (const auto &argument : arguments)
        if (argument.Name == "FilterName")
            argument.Value >>= filter;
    if (!filter.startsWith("Text"))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(1 << 16);
    const bool wide = head.startsWith("\xff\xfe") || head.startsWith("\xfe\xff");
    return !wide && head.contains('\0');
}

// Tells warnings, which LibreOffice raises for documents it did read, from errors.
bool IsWarning(const Any &request)
{
    css::task::ErrorCodeRequest code;
    return (request >>= code) && (sal_uInt32(code.ErrCode) & 0x80000000u) != 0;
}

// Answers every question the office asks while loading with "no", so a document that would need a
// person fails at once; remembers the first question as the reason.
class RefusingHandler : public cppu::WeakImplHelper1<css::task::XInteractionHandler> {
public:
    void SAL_CALL handle(const Reference<css::task::XInteractionRequest> &request) override
    {
        const Any what = request->getRequest();
        const bool warning = IsWarning(what);
        if (!warning) {
            const QString reason = ReasonFor(what);
            std::lock_guard<std::mutex> lock(mutex_);
            if (reason_.isEmpty())
                reason_ = reason;
        }
        Reference<css::task::XInteractionContinuation> abort, disapprove, approve;
        const Sequence<Reference<css::task::XInteractionContinuation>> choices =
            request->getContinuations();
        for (const auto &choice : choices) {
            if (Reference<css::task::XInteractionAbort>(choice, UNO_QUERY).is())
                abort = choice;
            else if (Reference<css::task::XInteractionDisapprove>(choice, UNO_QUERY).is())
                disapprove = choice;
            else if (Reference<css::task::XInteractionApprove>(choice, UNO_QUERY).is())
                approve = choice;
        }
        const auto &pick = warning && approve.is() ? approve : abort.is() ? abort : disapprove;
        if (pick.is())
            pick->select();
    }

    QString Reason() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return reason_;
    }

private:
    mutable std::mutex mutex_;
    QString reason_;
};

// Marks the session lost as soon as the bridge to the office goes.
class LossListener : public cppu::WeakImplHelper1<css::lang::XEventListener> {
public:
    explicit LossListener(std::shared_ptr<std::atomic<bool>> lost) : lost_(std::move(lost)) {}
    void SAL_CALL disposing(const css::lang::EventObject &) override { lost_->store(true); }

private:
    std::shared_ptr<std::atomic<bool>> lost_;
};

// Documents are handled on the office's main thread: some Word files crash the office when loaded
// on a connection thread. That thread stays in notify() from opening to closing, running our jobs
// as nested calls, so the open document's deferred events never run: some of them build windows
// from files the headless office lacks, and abort it.
class MainThreadStay : public cppu::WeakImplHelper1<css::awt::XCallback> {
public:
    // A job says through its argument whether the office's main thread must stay for more.
    using Job = std::function<Outcome(bool &stay)>;

    explicit MainThreadStay(std::shared_ptr<std::atomic<bool>> lost) : lost_(std::move(lost)) {}

    void SAL_CALL notify(const Any &) override
    {
        std::unique_lock<std::mutex> lock(mutex_);
        for (bool stay = true; stay;) {
            if (!changed_.wait_for(lock, kPoll, [this] { return job_ || leave_; })) {
                if (lost_->load())
                    break;
                continue;
            }
            if (leave_)
                break;
            Job job = std::move(job_);
            job_ = nullptr;
            lock.unlock();
            Outcome outcome = Outcome::Gone();
            stay = false;
            // Anything thrown here would reach the office's event loop and could end it.
            try {
                outcome = job(stay);
            } catch (const css::lang::DisposedException &) {
            } catch (const css::uno::Exception &e) {
                outcome = Outcome::Fail(
                    QCoreApplication::translate("Conversion", "failed: %1").arg(ToQt(e.Message)));
            } catch (...) {
            }
            job = nullptr; // Lets go of the office's objects while still connected.
            lock.lock();
            outcome_ = outcome;
            ran_ = true;
            changed_.notify_all();
        }
        left_ = true;
        changed_.notify_all();
    }

    // Runs job there and waits for it, or until the office left or the connection broke: a dead
    // office never calls back. job must own all it touches, as it may still run then.
    Outcome Run(Job job)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (left_ || leave_)
            return Outcome::Gone();
        job_ = std::move(job);
        ran_ = false;
        changed_.notify_all();
        while (!changed_.wait_for(lock, kPoll, [this] { return ran_ || left_; }))
            if (lost_->load())
                return Outcome::Gone();
        return ran_ ? outcome_ : Outcome::Gone();
    }

    // Whether a new stay is needed for the next job.
    bool Over()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return left_ || leave_;
    }

    // Releases the office's main thread, e.g. so it can terminate.
    void Leave()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        leave_ = true;
        changed_.notify_all();
    }

private:
    static constexpr std::chrono::milliseconds kPoll{20};

    std::shared_ptr<std::atomic<bool>> lost_;
    std::mutex mutex_;
    std::condition_variable changed_;
    Job job_;
    bool ran_ = false;
    Outcome outcome_;
    bool leave_ = false;
    bool left_ = false;
};

// Closes document without saving.
Outcome CloseDocument(const Reference<css::lang::XComponent> &document,
                      const std::shared_ptr<std::atomic<bool>> &lost)
{
    try {
        Reference<css::util::XCloseable> closeable(document, UNO_QUERY);
        if (closeable.is())
            closeable->close(true);
        else
            document->dispose();
        return Outcome::Ok();
    } catch (const css::lang::DisposedException &) {
        return lost->load() ? Outcome::Gone() : Outcome::Ok();
    } catch (const css::uno::Exception &e) {
        return Outcome::Fail(QCoreApplication::translate("Conversion", "could not be closed: %1")
                                 .arg(ToQt(e.Message)));
    }
}

} // namespace

bool PrepareUno(QString *reason)
{
    std::call_once(uno_once, [] {
        const QByteArray rc = QFile::encodeName(LibreOfficeFile(QStringLiteral("fundamentalrc")));
        if (!QFileInfo::exists(QFile::decodeName(rc))) {
            uno_failure =
                QCoreApplication::translate("Conversion", "LibreOffice (soffice) was not found: %1")
                    .arg(LibreOfficeInstallHint());
            return;
        }
        // Without it the office's types are missing and creating the desktop crashes.
        qputenv("URE_BOOTSTRAP", QByteArrayLiteral("vnd.sun.star.pathname:") + rc);
        try {
            local_context = new Reference<css::uno::XComponentContext>(
                cppu::defaultBootstrap_InitialComponentContext());
        } catch (const css::uno::Exception &e) {
            uno_failure = QCoreApplication::translate(
                              "Conversion", "LibreOffice's components could not be loaded: %1")
                              .arg(ToQt(e.Message));
        }
    });
    if (!local_context && reason)
        *reason = uno_failure;
    return local_context != nullptr;
}

struct UnoSession::Remote {
    Reference<css::bridge::XBridge> bridge;
    Reference<css::frame::XDesktop2> desktop;
    Reference<css::awt::XRequestCallback> mainThread;
    rtl::Reference<MainThreadStay> stay;
    Reference<css::lang::XComponent> document;

    Outcome OnMainThread(const std::shared_ptr<std::atomic<bool>> &lost, MainThreadStay::Job job)
    {
        if (!stay.is() || stay->Over()) {
            stay = new MainThreadStay(lost);
            try {
                mainThread->addCallback(Reference<css::awt::XCallback>(stay.get()), Any());
            } catch (const css::lang::DisposedException &) {
                stay.clear();
                return Outcome::Gone();
            } catch (const css::uno::Exception &e) {
                stay.clear();
                return Outcome::Fail(QCoreApplication::translate(
                                         "Conversion", "the word processor refused the call: %1")
                                         .arg(ToQt(e.Message)));
            }
        }
        return stay->Run(std::move(job));
    }

    void LeaveMainThread()
    {
        if (stay.is())
            stay->Leave();
        stay.clear();
    }
};

UnoSession::UnoSession()
    : remote_(std::make_unique<Remote>()), lost_(std::make_shared<std::atomic<bool>>(false))
{}

UnoSession::~UnoSession()
{
    remote_->LeaveMainThread();
}

UnoSession::Connect UnoSession::TryConnect(const QString &pipeName, QString *reason)
{
    try {
        const Reference<css::uno::XComponentContext> &local = *local_context;
        Reference<css::connection::XConnection> connection =
            css::connection::Connector::create(local)->connect(
                ToOu(QStringLiteral("pipe,name=%1").arg(pipeName)));
        Reference<css::bridge::XBridge> bridge =
            css::bridge::BridgeFactory::create(local)->createBridge(
                OUString(), OUString("urp"), connection,
                Reference<css::bridge::XInstanceProvider>());
        Reference<css::lang::XComponent>(bridge, UNO_QUERY_THROW)
            ->addEventListener(new LossListener(lost_));
        Reference<css::uno::XComponentContext> context(
            bridge->getInstance(OUString("StarOffice.ComponentContext")), UNO_QUERY_THROW);
        remote_->desktop = css::frame::Desktop::create(context);
        remote_->mainThread = css::awt::AsyncCallback::create(context);
        remote_->bridge = bridge;
        return Connect::Connected;
    } catch (const css::connection::NoConnectException &) {
        return Connect::NotYet;
    } catch (const css::uno::Exception &e) {
        *reason = ToQt(e.Message);
        return Connect::Failed;
    }
}

Outcome UnoSession::Open(const QString &path)
{
    OUString url;
    if (!FileUrl(path, &url))
        return Outcome::Fail(
            QCoreApplication::translate("Conversion", "cannot be named to the word processor"));
    rtl::Reference<RefusingHandler> handler(new RefusingHandler);
    Sequence<css::beans::PropertyValue> properties(6);
    css::beans::PropertyValue *p = properties.getArray();
    p[0] = Property("ReadOnly", Any(true));
    p[1] = Property("Hidden", Any(true));
    p[2] = Property("MacroExecutionMode", Any(css::document::MacroExecMode::NEVER_EXECUTE));
    p[3] = Property("UpdateDocMode", Any(css::document::UpdateDocMode::NO_UPDATE));
    p[4] = Property("InteractionHandler",
                    Any(Reference<css::task::XInteractionHandler>(handler.get())));
    p[5] = Property("RepairPackage", Any(false));
    const Reference<css::frame::XComponentLoader> loader(remote_->desktop, UNO_QUERY);
    auto opened = std::make_shared<Reference<css::lang::XComponent>>();
    const auto load = [loader, url, properties, handler, path, opened, lost = lost_](bool &stay) {
        const auto refused = [&](const QString &otherwise) {
            const QString asked = handler->Reason();
            return Outcome::Fail(asked.isEmpty() ? otherwise : asked);
        };
        try {
            Reference<css::lang::XComponent> document =
                loader->loadComponentFromURL(url, OUString("_blank"), 0, properties);
            if (!document.is())
                return refused(QCoreApplication::translate("Conversion", "could not be opened"));
            Reference<css::lang::XServiceInfo> info(document, UNO_QUERY);
            if (!info.is() || !info->supportsService(OUString("com.sun.star.text.TextDocument")) ||
                LoadedAsText(document, path)) {
                CloseDocument(document, lost);
                return Outcome::Fail(Unreadable());
            }
            *opened = document;
            stay = true;
            return Outcome::Ok();
        } catch (const css::lang::DisposedException &) {
            return Outcome::Gone();
        } catch (const css::lang::IllegalArgumentException &) {
            // Type detection found no filter for the file.
            return refused(Unreadable());
        } catch (const css::uno::Exception &e) {
            return refused(QCoreApplication::translate("Conversion", "could not be opened: %1")
                               .arg(ToQt(e.Message)));
        }
    };
    const Outcome outcome = remote_->OnMainThread(lost_, load);
    if (outcome.kind == Outcome::Kind::Done)
        remote_->document = *opened;
    return outcome;
}

Outcome UnoSession::ExportPdf(const QString &outputFile, bool tagged)
{
    OUString url;
    if (!FileUrl(outputFile, &url))
        return Outcome::Fail(
            QCoreApplication::translate("Conversion", "cannot be named to the word processor"));
    const auto store = [document = remote_->document, url, tagged](bool &stay) {
        stay = document.is();
        Reference<css::lang::XServiceInfo> info(document, UNO_QUERY);
        const char *filter = "writer_pdf_Export";
        try {
            if (info.is() && info->supportsService(OUString("com.sun.star.text.GlobalDocument")))
                filter = "writer_globaldocument_pdf_Export";
            else if (info.is() && info->supportsService(OUString("com.sun.star.text.WebDocument")))
                filter = "writer_web_pdf_Export";
            Sequence<css::beans::PropertyValue> filterData(2);
            css::beans::PropertyValue *f = filterData.getArray();
            f[0] = Property("UseTaggedPDF", Any(tagged));
            f[1] = Property("ExportBookmarks", Any(true));
            Sequence<css::beans::PropertyValue> properties(3);
            css::beans::PropertyValue *p = properties.getArray();
            p[0] = Property("FilterName", Any(OUString::createFromAscii(filter)));
            p[1] = Property("Overwrite", Any(true));
            p[2] = Property("FilterData", Any(filterData));
            Reference<css::frame::XStorable>(document, UNO_QUERY_THROW)
                ->storeToURL(url, properties);
            return Outcome::Ok();
        } catch (const css::lang::DisposedException &) {
            return Outcome::Gone();
        } catch (const css::uno::Exception &e) {
            return Outcome::Fail(
                QCoreApplication::translate("Conversion", "could not be written as PDF: %1")
                    .arg(ToQt(e.Message)));
        }
    };
    return remote_->OnMainThread(lost_, store);
}

Outcome UnoSession::Close()
{
    Reference<css::lang::XComponent> document;
    std::swap(document, remote_->document);
    if (!document.is())
        return Outcome::Ok();
    return remote_->OnMainThread(
        lost_, [document, lost = lost_](bool &) { return CloseDocument(document, lost); });
}

bool UnoSession::Terminate()
{
    try {
        remote_->document.clear();
        remote_->LeaveMainThread();
        return remote_->desktop.is() && remote_->desktop->terminate();
    } catch (const css::lang::DisposedException &) {
        return true; // The office going away while it answers is the expected end.
    } catch (const css::uno::Exception &) {
        return false;
    }
}

bool UnoSession::HasDocument() const
{
    return remote_->document.is();
}

} // namespace qf::lo
