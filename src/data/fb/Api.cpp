#include "data/fb/Api.h"

#include <ibase.h>
#include <iberror.h>

#include <vector>

namespace kov::fb {

bool ErroBanco::violacaoDeChave() const {
    return codigoGds_ == isc_unique_key_violation || codigoGds_ == isc_no_dup || codigoSql_ == -803;
}

namespace api {

Firebird::IMaster* mestre() {
    static Firebird::IMaster* m = Firebird::fb_get_master_interface();
    return m;
}

Firebird::IUtil* util() { return mestre()->getUtilInterface(); }

ErroBanco erroDe(const Firebird::IStatus* status) {
    std::vector<char> buf(4096);
    util()->formatStatus(buf.data(), static_cast<unsigned>(buf.size()), const_cast<Firebird::IStatus*>(status));
    std::string texto(buf.data());
    while (!texto.empty() && (texto.back() == '\n' || texto.back() == ' ')) texto.pop_back();
    const intptr_t* v = status->getErrors();
    long gds = 0;
    // O primeiro código isc_arg_gds e um eventual código SQL de violação de chave
    for (const intptr_t* p = v; p && *p != isc_arg_end; p += 2) {
        if (*p == isc_arg_gds) {
            const long c = static_cast<long>(p[1]);
            if (gds == 0) gds = c;
            if (c == isc_unique_key_violation || c == isc_no_dup) { gds = c; break; }
        }
    }
    const int sqlcode = static_cast<int>(isc_sqlcode(v));
    return ErroBanco(texto, sqlcode, gds);
}

void chamar(const std::function<void(Firebird::ThrowStatusWrapper&)>& f) {
    Firebird::IStatus* st = mestre()->getStatus();
    Firebird::ThrowStatusWrapper status(st);
    try {
        f(status);
    } catch (const Firebird::FbException& e) {
        ErroBanco erro = erroDe(e.getStatus());
        status.dispose();
        throw erro;
    } catch (...) {
        status.dispose();
        throw;
    }
    status.dispose();
}

}  // namespace api
}  // namespace kov::fb
