#pragma once
// Transação de leitura confirmada (read committed, record version) que espera
// por bloqueios. Desfaz no destrutor se não foi confirmada.
namespace Firebird { class ITransaction; }

namespace kov::fb {

class Conexao;

class Transacao {
public:
    explicit Transacao(Conexao& c, bool iniciar = true);
    ~Transacao();
    Transacao(const Transacao&) = delete;
    Transacao& operator=(const Transacao&) = delete;

    void iniciar();
    void commit();
    void rollback();  // nunca lança
    bool ativa() const { return tr_ != nullptr; }

    Conexao& conexao() const { return c_; }
    Firebird::ITransaction* handle() const { return tr_; }

private:
    Conexao& c_;
    Firebird::ITransaction* tr_ = nullptr;
};

}  // namespace kov::fb
