#include "data/fb/Api.h"

#include <ibase.h>
#include <iberror.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace kov::fb {

bool ErroBanco::tem(long codigo) const {
    for (long c : codigos_)
        if (c == codigo) return true;
    return false;
}

ErroBanco::CausaAbertura ErroBanco::causaAbertura() const {
    if (tem(isc_already_opened)) return CausaAbertura::AbertaPorOutro;
    if (tem(isc_io_error) && erroSistema_ == ENOENT) return CausaAbertura::ArquivoAusente;
    if (tem(isc_io_error) && (erroSistema_ == EACCES || erroSistema_ == EPERM)) return CausaAbertura::SemPermissao;
    if (tem(isc_bad_db_format)) return CausaAbertura::NaoEBase;
    if (tem(isc_wrong_ods)) return CausaAbertura::OutraVersao;
    if (tem(isc_login)) return CausaAbertura::UsuarioRecusado;
    if (tem(isc_network_error) || tem(isc_net_connect_err)) return CausaAbertura::ServidorInacessivel;
    if (tem(isc_no_priv)) return CausaAbertura::SemDireitos;
    // Páginas estragadas (inclusive as que parecem cifradas: a base do KOV nunca é), verificação
    // interna do motor, ou arquivo menor que o esperado (truncado)
    if (tem(isc_db_corrupt) || tem(isc_bug_check) || tem(isc_page_type_err) || tem(isc_badpagtyp) ||
        tem(isc_decrypt_error) || tem(isc_io_read_err) || (tem(isc_io_error) && tem(isc_random)))
        return CausaAbertura::Danificada;
    return CausaAbertura::Outra;
}

bool ErroBanco::violacaoDeChave() const {
    return codigoGds_ == isc_unique_key_violation || codigoGds_ == isc_no_dup || codigoSql_ == -803;
}

bool ErroBanco::conflitoDeAtualizacao() const {
    return codigoGds_ == isc_deadlock || codigoGds_ == isc_update_conflict || codigoGds_ == isc_lock_conflict;
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
    std::vector<long> codigos;
    int erroSistema = 0;
    // O primeiro código isc_arg_gds, ou o de violação de chave quando aparece
    for (const intptr_t* p = v; p && *p != isc_arg_end; p += 2) {
        if (*p == isc_arg_gds) {
            const long c = static_cast<long>(p[1]);
            codigos.push_back(c);
            if (gds == 0 || c == isc_unique_key_violation || c == isc_no_dup) gds = c;
        } else if (*p == isc_arg_unix && erroSistema == 0) {
            erroSistema = static_cast<int>(p[1]);
        } else if ((*p == isc_arg_string || *p == isc_arg_interpreted) && erroSistema == 0 && !codigos.empty() &&
                   codigos.back() == isc_io_open_err) {
            // Pela rede o servidor manda o erro do sistema já como texto
            for (int e : {ENOENT, EACCES, EPERM})
                if (std::strcmp(reinterpret_cast<const char*>(p[1]), std::strerror(e)) == 0) erroSistema = e;
        } else if (*p == isc_arg_cstring) {
            ++p;  // comprimento e texto: três posições
        }
    }
    const int sqlcode = static_cast<int>(isc_sqlcode(v));
    ErroBanco erro(texto, sqlcode, gds);
    erro.detalhar(std::move(codigos), erroSistema);
    return erro;
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

void liberarComandos(CacheComandos& cache) {
    for (auto& item : cache.livres) {
        auto& p = item.second;  // (a lambda não captura um nome de ligação estruturada no clang 14)
        try {
            chamar([&](Firebird::ThrowStatusWrapper& st) {
                p.stmt->free(&st);
                p.stmt.soltar();
            });
        } catch (...) {
            // conexão perdida: a interface é só descartada (Ref a libera)
        }
    }
    cache.livres.clear();
    ++cache.geracao;
}

}  // namespace api
}  // namespace kov::fb
