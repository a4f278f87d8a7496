#include "data/fb/Transacao.h"

#include <ibase.h>

#include "data/fb/Api.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"

using namespace Firebird;

namespace kov::fb {

Transacao::Transacao(Conexao& c, bool iniciarAgora, Modo modo) : c_(c), modo_(modo) {
    if (iniciarAgora) iniciar();
}

Transacao::~Transacao() { rollback(); }

void Transacao::iniciar() {
    if (tr_) return;
    numero_ = 0;
    if (!c_.aberta()) throw ErroBanco("Conexão com o banco de dados não está aberta");
    const unsigned char tpb[] = {isc_tpb_version3,
                                 static_cast<unsigned char>(modo_ == Modo::Leitura ? isc_tpb_read : isc_tpb_write),
                                 isc_tpb_read_committed, isc_tpb_rec_version, isc_tpb_wait};
    api::chamar([&](ThrowStatusWrapper& st) { tr_ = c_.anexo()->startTransaction(&st, sizeof tpb, tpb); });
}

void Transacao::commit() {
    if (!tr_) return;
    api::chamar([&](ThrowStatusWrapper& st) { tr_->commit(&st); });
    tr_ = nullptr;
}

void Transacao::rollback() {
    if (!tr_) return;
    try {
        api::chamar([&](ThrowStatusWrapper& st) { tr_->rollback(&st); });
    } catch (...) {
        tr_->release();
    }
    tr_ = nullptr;
}

int64_t Transacao::numero() {
    if (numero_ != 0) return numero_;
    if (!tr_) throw ErroBanco("A transação não está ativa");
    // Pergunta à própria transação, sem comando SQL: a resposta é [item][tamanho: 2][número]
    const unsigned char itens[] = {isc_info_tra_id};
    unsigned char resposta[32] = {};
    api::chamar([&](ThrowStatusWrapper& st) { tr_->getInfo(&st, sizeof itens, itens, sizeof resposta, resposta); });
    if (resposta[0] != isc_info_tra_id) throw ErroBanco("O servidor não informou o número da transação");
    const auto tamanho = static_cast<short>(isc_vax_integer(reinterpret_cast<const char*>(resposta + 1), 2));
    if (tamanho <= 0 || tamanho > 8) throw ErroBanco("O servidor não informou o número da transação");
    numero_ = isc_portable_integer(resposta + 3, tamanho);
    return numero_;
}

namespace {
// Pelo Comando, e não por executarDireto: dentro de um ReusoDeComandos o ponto de uma
// linha de importação não é preparado de novo a cada linha.
void executar(Transacao& tr, const std::string& sql) { Comando(tr, sql).executar(); }
}  // namespace

PontoSalvamento::PontoSalvamento(Transacao& tr, std::string nome) : tr_(tr), nome_(std::move(nome)) {
    executar(tr_, "SAVEPOINT " + nome_);
}

PontoSalvamento::~PontoSalvamento() {
    try {
        desfazer();
    } catch (...) {
        // a transação será desfeita inteira por quem a abriu
    }
}

void PontoSalvamento::liberar() {
    if (!ativo_) return;
    ativo_ = false;
    executar(tr_, "RELEASE SAVEPOINT " + nome_ + " ONLY");
}

void PontoSalvamento::desfazer() {
    if (!ativo_ || !tr_.ativa()) return;
    ativo_ = false;
    executar(tr_, "ROLLBACK TO SAVEPOINT " + nome_);
    executar(tr_, "RELEASE SAVEPOINT " + nome_ + " ONLY");
}

}  // namespace kov::fb
