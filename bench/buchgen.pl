#!/usr/bin/env perl
# Writes a deterministic benchmark document to standard output.
#
#   perl bench/buchgen.pl ART MB [KODIERUNG] > datei.xml
#
# ART  buch        a book: chapters, sections, paragraphs with inline markup,
#                  footnotes, tables with widths in units, lists, attributes,
#                  entity and character references, an internal subset
#                  declaring the entities
#      flach       one root with N sibling elements (a flat list)
#      tief        chains of 10,000 nested elements, one after the other
#      entitaeten  paragraphs made mostly of entity and character references
# MB   the size to reach, in megabytes of the file (0.1, 1, 10, 100 ...); the
#      document closes its open elements after that, so it ends slightly
#      larger.
# KODIERUNG  UTF-8 (default), ISO-8859-1 or UTF-16 (little endian with a
#      byte-order mark); the XML declaration names it.
use strict;
use warnings;
use Encode qw(encode decode);

my ($art, $mb, $kodierung) = @ARGV;
$kodierung //= 'UTF-8';
die "usage: $0 buch|flach|tief|entitaeten MB [UTF-8|ISO-8859-1|UTF-16]\n"
    unless defined $mb && $art =~ /^(buch|flach|tief|entitaeten)$/ && $mb =~ /^\d+(\.\d+)?$/
    && $kodierung =~ /^(UTF-8|ISO-8859-1|UTF-16)$/;
my $ziel = $mb * 1024 * 1024;
binmode STDOUT, ':raw';

# A fixed linear congruential generator: the same document on every run.
my $zustand = 20240501;
sub zufall { $zustand = ($zustand * 1103515245 + 12345) % 2147483648; return $zustand % $_[0]; }

my @woerter = qw(der die das und ist nicht mit von zu den ein eine auf für sich dem des als auch
    Buch Kapitel Seite Wort Satz Text Zeile Absatz Beispiel Umwandlung Regel Element Inhalt Wert
    schnell langsam groß klein neu alt gut früh spät hier dort Größe Maße Übersicht Straße);
sub satz {
    my $n = 6 + zufall(12);
    return join ' ', map { $woerter[zufall(scalar @woerter)] } 1 .. $n;
}

# The text below is written as UTF-8 bytes; other encodings are made from it
# piece by piece, and the size counts the bytes of the file.
my $geschrieben = 0;
my $anfang = 1;
sub aus {
    my $text = $_[0];
    if ($kodierung ne 'UTF-8') {
        $text =~ s/encoding="UTF-8"/encoding="$kodierung"/ if $anfang;
        my $zeichen = decode('UTF-8', $text);
        $text = $kodierung eq 'UTF-16' ? ($anfang ? "\xFF\xFE" : '') . encode('UTF-16LE', $zeichen)
                                        : encode('ISO-8859-1', $zeichen);
    }
    $anfang = 0;
    print $text;
    $geschrieben += length $text;
}

if ($art eq 'flach') {
    aus(qq(<?xml version="1.0" encoding="UTF-8"?>\n<liste>\n));
    for (my $i = 1; $geschrieben < $ziel; ++$i) {
        aus(qq(<eintrag nr="$i">) . satz() . qq(</eintrag>\n));
    }
    aus("</liste>\n");
    exit 0;
}

if ($art eq 'entitaeten') {
    aus(<<'KOPF');
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE text [
<!ENTITY verlag "Beispielverlag">
<!ENTITY autor "A. Autorin">
<!ENTITY ort "Musterstadt">
]>
<text>
KOPF
    my @refs = ('&verlag;', '&autor;', '&ort;', '&amp;', '&lt;', '&gt;', '&quot;', '&#228;', '&#x20AC;', '&#8212;');
    while ($geschrieben < $ziel) {
        aus('<absatz>' . join(' ', map { $refs[zufall(scalar @refs)] } 1 .. 20 + zufall(20)) . "</absatz>\n");
    }
    aus("</text>\n");
    exit 0;
}

if ($art eq 'tief') {
    aus(qq(<?xml version="1.0" encoding="UTF-8"?>\n<wurzel>\n));
    while ($geschrieben < $ziel) {
        aus('<e>' x 10000);
        aus(satz());
        aus('</e>' x 10000);
        aus("\n");
    }
    aus("</wurzel>\n");
    exit 0;
}

aus(<<'KOPF');
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE buch [
<!ENTITY verlag "Beispielverlag">
<!ENTITY autor "A. Autorin">
]>
<buch id="b1" sprache="de">
<titel>Ein Buch für Messungen</titel>
KOPF

sub absatz {
    my $text = '';
    my $teile = 2 + zufall(4);
    for my $t (1 .. $teile) {
        my $w = zufall(10);
        if ($w == 0) { $text .= '<hervor art="fett">' . satz() . '</hervor> '; }
        elsif ($w == 1) { $text .= '<hervor art="kursiv">' . satz() . '</hervor> '; }
        elsif ($w == 2) { $text .= '&verlag; &amp; &autor; '; }
        elsif ($w == 3) { $text .= '<fussnote nr="' . (1 + zufall(99)) . '">' . satz() . '</fussnote> '; }
        elsif ($w == 4) { $text .= '&#228;&#x20AC; &lt;' . satz() . '&gt; '; }
        else { $text .= satz() . '. '; }
    }
    my $klasse = zufall(5) == 0 ? ' typ="hinweis"' : '';
    return "<absatz$klasse>$text</absatz>\n";
}

sub tabelle {
    my $spalten = 2 + zufall(4);
    my $breite = 60 + zufall(141);
    my $t = qq(<tabelle spalten="$spalten" breite="${breite}mm">\n);
    for my $z (1 .. 2 + zufall(6)) {
        $t .= '<zeile>' . join('', map { '<zelle>' . $woerter[zufall(scalar @woerter)] . '</zelle>' } 1 .. $spalten)
            . "</zeile>\n";
    }
    return $t . "</tabelle>\n";
}

sub liste {
    return "<liste>\n" . join('', map { '<punkt>' . satz() . "</punkt>\n" } 1 .. 2 + zufall(5)) . "</liste>\n";
}

for (my $k = 1; $geschrieben < $ziel; ++$k) {
    my $art_kapitel = $k % 10 == 0 ? 'anhang' : 'normal';
    aus(qq(<kapitel nr="$k" typ="$art_kapitel">\n<titel>Kapitel $k</titel>\n));
    for my $a (1 .. 3 + zufall(5)) {
        aus(qq(<abschnitt nr="$k.$a">\n<titel>) . satz() . "</titel>\n");
        for my $p (1 .. 4 + zufall(8)) {
            my $w = zufall(12);
            aus($w == 0 ? tabelle() : $w == 1 ? liste() : absatz());
        }
        aus("</abschnitt>\n");
    }
    aus("</kapitel>\n");
}
aus("</buch>\n");
