#pragma once
// Erro vindo do Firebird (ou do acesso a ele), com o texto do servidor.
#include <stdexcept>
#include <string>

namespace kov::fb {

class ErroBanco : public std::runtime_error {
public:
    explicit ErroBanco(const std::string& texto, int codigoSql = 0, long codigoGds = 0)
        : std::runtime_error(texto), codigoSql_(codigoSql), codigoGds_(codigoGds) {}
    int codigoSql() const { return codigoSql_; }
    long codigoGds() const { return codigoGds_; }
    // Violação de chave primária ou única.
    bool violacaoDeChave() const;

private:
    int codigoSql_;
    long codigoGds_;
};

}  // namespace kov::fb
