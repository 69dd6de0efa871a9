#include "platform/Proxy.h"

#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

#include <windows.h>
#include <winhttp.h>

#include <string>

namespace morvela {

namespace {

QString Uzmi(LPWSTR tekst) {
    if (!tekst) return QString();
    const QString rezultat = QString::fromWCharArray(tekst);
    GlobalFree(tekst);
    return rezultat;
}

// "<local>" stands for names without a dot; other entries may carry wildcards.
bool Izuzet(const QString& host, const QString& izuzeci) {
    for (QString uzorak : izuzeci.split(QRegularExpression(QStringLiteral("[;\\s]+")), Qt::SkipEmptyParts)) {
        if (uzorak.compare(QLatin1String("<local>"), Qt::CaseInsensitive) == 0) {
            if (!host.contains(QLatin1Char('.'))) return true;
            continue;
        }
        const QRegularExpression izraz(QRegularExpression::wildcardToRegularExpression(uzorak),
                                       QRegularExpression::CaseInsensitiveOption);
        if (izraz.match(host).hasMatch()) return true;
    }
    return false;
}

// A proxy list of the form "host:port" or "http=host:port;https=host:port".
QString ZaShemu(const QString& popis, const QString& shema) {
    QString zajednički;
    for (const QString& dio :
         popis.split(QRegularExpression(QStringLiteral("[;\\s]+")), Qt::SkipEmptyParts)) {
        const qsizetype jednako = dio.indexOf(QLatin1Char('='));
        if (jednako < 0) {
            if (zajednički.isEmpty()) zajednički = dio;
        } else if (dio.left(jednako).compare(shema, Qt::CaseInsensitive) == 0) {
            return dio.mid(jednako + 1);
        }
    }
    return zajednički;
}

QString SaShemom(const QString& proxy) {
    if (proxy.isEmpty() || proxy.contains(QLatin1String("://"))) return proxy;
    return QStringLiteral("http://") + proxy;
}

} // namespace

// The user's Internet settings: a fixed proxy with its exceptions, or a
// configuration script / automatic detection answered by WinHTTP.
QString SistemskiProxy(const QString& url) {
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG ie = {};
    if (!WinHttpGetIEProxyConfigForCurrentUser(&ie)) return QString();
    const QString skripta = Uzmi(ie.lpszAutoConfigUrl);
    QString proxy = Uzmi(ie.lpszProxy);
    QString izuzeci = Uzmi(ie.lpszProxyBypass);
    if (ie.fAutoDetect || !skripta.isEmpty()) {
        HINTERNET sesija = WinHttpOpen(L"MorvelaLiveUpdate21", WINHTTP_ACCESS_TYPE_NO_PROXY,
                                       WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
        WINHTTP_AUTOPROXY_OPTIONS opcije = {};
        const std::wstring skriptaW = skripta.toStdWString();
        if (!skripta.isEmpty()) {
            opcije.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
            opcije.lpszAutoConfigUrl = skriptaW.c_str();
        } else {
            opcije.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
            opcije.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
        }
        opcije.fAutoLogonIfChallenged = TRUE;
        WINHTTP_PROXY_INFO info = {};
        const std::wstring urlW = url.toStdWString();
        if (sesija && WinHttpGetProxyForUrl(sesija, urlW.c_str(), &opcije, &info)) {
            const QString pronađen = Uzmi(info.lpszProxy);
            const QString pronađeniIzuzeci = Uzmi(info.lpszProxyBypass);
            if (info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY) {
                proxy = pronađen;
                izuzeci = pronađeniIzuzeci;
            } else {
                proxy.clear();
            }
        }
        if (sesija) WinHttpCloseHandle(sesija);
    }
    const QUrl adresa(url);
    if (proxy.isEmpty() || Izuzet(adresa.host(), izuzeci)) return QString();
    return SaShemom(ZaShemu(proxy, adresa.scheme()));
}

} // namespace morvela
