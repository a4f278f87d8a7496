#pragma once
// Apoio dos testes dos formulários: uma aplicação Qt sem tela, dados de declaração em
// memória e o texto de um PDF lido de volta com pdftotext.
#include <string>

#include "reports/DadosImpressao.h"
#include "reports/Relatorio.h"

namespace kov::teste {

// Cria (uma vez) a QGuiApplication na plataforma offscreen.
void garantirAplicacaoGui();

// Declaração do regime dado, de 2026, meses 01 a 12, com todas as seções zeradas, as seis
// linhas do detalhamento, o contribuinte 1234567890107 "Comércio Ação Ltda" e os nomes dos
// tipos de operação e de alguns municípios (7 "Aldeia Nova", 12 "Serra Alta", 30 "Porto
// Claro").
relatorios::DadosImpressao DadosDeTeste(int regime);

// O PDF gravado numa pasta temporária e lido de volta por pdftotext -layout; páginas
// separadas por form feed.
std::string TextoDoPdf(const relatorios::Relatorio& r);

// Número de ocorrências de 'trecho' em 'texto'.
size_t Contar(const std::string& texto, const std::string& trecho);
// A primeira linha do texto que contém 'trecho' (vazio se nenhuma).
std::string LinhaCom(const std::string& texto, const std::string& trecho);

}  // namespace kov::teste
