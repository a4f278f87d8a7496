#pragma once
// Gravação de arquivos que sobrevive a uma interrupção: o conteúdo vai para um nome
// temporário, é forçado para o disco e só então recebe o nome final (a troca de nome é
// atômica). Quem encontra o nome final encontra o arquivo inteiro.
#include <string>

namespace kov {

// Força para o disco o conteúdo do arquivo (lança std::system_error em caso de falha).
void SincronizarArquivo(const std::string& arquivo);
// Força para o disco a própria pasta (nomes criados, trocados ou apagados nela).
void SincronizarPasta(const std::string& pasta);

// Troca o nome e sincroniza a pasta.
void RenomearSincronizado(const std::string& de, const std::string& para);

// Grava 'conteudo' em 'arquivo' por um nome temporário ao lado, sincronizado e renomeado.
// Lança std::system_error com o erro do sistema (ENOSPC no disco cheio); o temporário é apagado.
void GravarArquivoSeguro(const std::string& arquivo, const std::string& conteudo);
// Copia o arquivo pelo mesmo caminho: o destino, trocado por inteiro, nunca fica pela metade.
void CopiarArquivoSeguro(const std::string& origem, const std::string& destino);

// O erro do sistema (errno) em palavras do usuário: disco cheio, sem permissão, mídia só de
// leitura... Os códigos raros ficam com o texto do sistema.
std::string DescreverErroSistema(int erro);

}  // namespace kov
