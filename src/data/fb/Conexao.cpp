#include "data/fb/Conexao.h"

#include "data/fb/Api.h"
#include "platform/MotorEmbutido.h"

using namespace Firebird;

namespace kov::fb {

namespace {
api::Ref<IXpbBuilder> montarDpb(ThrowStatusWrapper& st, const ParametrosConexao& p) {
    api::Ref<IXpbBuilder> dpb(api::util()->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0));
    dpb->insertString(&st, isc_dpb_user_name, p.usuario.c_str());
    dpb->insertString(&st, isc_dpb_password, p.senha.c_str());
    dpb->insertString(&st, isc_dpb_lc_ctype, p.conjuntoCaracteres.c_str());
    dpb->insertInt(&st, isc_dpb_sql_dialect, 3);
    return dpb;
}
}  // namespace

Conexao::Conexao() = default;

Conexao::~Conexao() { fechar(); }

bool Conexao::aberta() const { return anexo_ != nullptr; }

void Conexao::abrir(const ParametrosConexao& p) {
    PrepararMotorEmbutido();
    fechar();
    parametros_ = p;
    api::chamar([&](ThrowStatusWrapper& st) {
        auto dpb = montarDpb(st, p);
        api::Ref<IProvider> prov(api::mestre()->getDispatcher());
        anexo_ = prov->attachDatabase(&st, p.banco.c_str(), dpb->getBufferLength(&st), dpb->getBuffer(&st));
    });
}

void Conexao::criar(const ParametrosConexao& p, int tamanhoPagina) {
    PrepararMotorEmbutido();
    fechar();
    parametros_ = p;
    api::chamar([&](ThrowStatusWrapper& st) {
        auto dpb = montarDpb(st, p);
        dpb->insertString(&st, isc_dpb_set_db_charset, "WIN1252");
        dpb->insertInt(&st, isc_dpb_page_size, tamanhoPagina);
        api::Ref<IProvider> prov(api::mestre()->getDispatcher());
        anexo_ = prov->createDatabase(&st, p.banco.c_str(), dpb->getBufferLength(&st), dpb->getBuffer(&st));
    });
}

void Conexao::apagarBase() {
    if (!anexo_) return;
    api::chamar([&](ThrowStatusWrapper& st) { anexo_->dropDatabase(&st); });
    anexo_ = nullptr;  // dropDatabase já liberou a interface
}

void Conexao::fechar() {
    if (!anexo_) return;
    if (cache_) api::liberarComandos(*cache_);
    try {
        api::chamar([&](ThrowStatusWrapper& st) { anexo_->detach(&st); });
        anexo_ = nullptr;
    } catch (...) {
        // Conexão já perdida: descarta a interface sem desconectar
        anexo_->release();
        anexo_ = nullptr;
    }
}

ReusoDeComandos::ReusoDeComandos(Conexao& c) : c_(c) {
    if (c_.cache_) return;
    c_.cache_ = std::make_unique<api::CacheComandos>();
    dono_ = true;
}

ReusoDeComandos::~ReusoDeComandos() {
    if (!dono_) return;
    api::liberarComandos(*c_.cache_);
    c_.cache_.reset();
}

}  // namespace kov::fb
