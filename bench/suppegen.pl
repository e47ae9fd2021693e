#!/usr/bin/env perl
# Writes a deterministic tag-soup web page (UTF-8) to standard output: what
# SYNTAX = HTML5 reads as browsers do. Omitted end tags (p, li, td, tr,
# option), unquoted and boolean attributes, references with and without
# ";", tables without end tags, misnested formatting elements, stray end
# tags, comments, scripts with "<" and "&", forms, upper-case tags.
#
#   perl bench/suppegen.pl MB > seite.html
use strict;
use warnings;

my ($mb) = @ARGV;
die "usage: $0 MB\n" unless defined $mb && $mb =~ /^\d+(\.\d+)?$/;
my $ziel = $mb * 1024 * 1024;
binmode STDOUT, ':raw';

my $zustand = 12345;
sub zufall { $zustand = ($zustand * 1103515245 + 12345) % 2147483648; return ($zustand >> 8) % $_[0]; }

my @woerter = ('Lorem', 'ipsum', 'dolor', 'sit', 'amet', 'consectetur', 'adipiscing', 'elit', 'sed', 'do',
    'eiusmod', 'tempor', "M\xc3\xbcller", "Stra\xc3\x9fe", '&amp;', '&copy', '&nbsp;', '&#8212;', '&lt;',
    '&eacute;t&eacute;');
sub satz { my $n = $_[0]; return join(' ', map { $woerter[zufall(scalar @woerter)] } 1 .. $n) . ' '; }

my $geschrieben = 0;
sub aus { print $_[0]; $geschrieben += length $_[0]; }

aus("<!DOCTYPE html>\n<html><head><title>Suppe &amp; Brot</title>\n"
    . "<meta charset=utf-8><link rel=stylesheet href=a.css>\n<body bgcolor=white>\n");
for (my $nr = 1; $geschrieben < $ziel; ++$nr) {
    my $art = zufall(8);
    if ($art == 0) {        # paragraphs without end tags, misnested formatting
        aus("<p class=text id=p$nr>" . satz(12) . '<b>' . satz(3) . '<i>' . satz(2) . '</b>' . satz(3)
            . "</i>\n<p>" . satz(10) . "\n");
    } elsif ($art == 1) {   # a table without end tags, text in it
        aus('<TABLE border=1 width=100%><TR><TD>' . satz(3) . "<td align=right nowrap>$nr<tr><td>" . satz(2)
            . '<td><font color=red>' . satz(2) . "</table>\n");
    } elsif ($art == 2) {   # a list without end tags, links with unquoted attributes
        aus("<ul><li><a href=/seite?id=$nr&amp;x=1&y=2 class=link>" . satz(2) . '</a><li>' . satz(4)
            . "<li><a href='/b.html' title=\"" . satz(2) . '">' . satz(2) . "</a></ul>\n");
    } elsif ($art == 3) {   # divs, images, breaks, a stray end tag
        aus("<div id=d$nr><img src=bild$nr.png alt=\"Bild $nr\" width=10><br>" . satz(8) . '</span><br/>'
            . satz(4) . "</div>\n");
    } elsif ($art == 4) {   # comments, headings with omitted </p>
        aus("<!-- Abschnitt $nr --><h2>" . satz(3) . '</h2><p>' . satz(15) . '<h3>' . satz(2) . "</h3>\n");
    } elsif ($art == 5) {   # a script with < and &, an unclosed form input, options without end tags
        aus("<script>var a$nr = 1 < 2 && 3 > 2; document.write('<b>x</b>');</script><form action=/f>"
            . "<input type=text name=q value=$nr><select name=s><option>a<option selected>b</select>"
            . "</form>\n");
    } elsif ($art == 6) {   # formatting elements left open over block boundaries
        aus('<center><font face=Arial size=2><b>' . satz(5) . '<p>' . satz(6) . "</font></b></center>\n");
    } else {                # plain text with references and a line break
        aus(satz(20) . "<br>\n");
    }
}
aus("</body></html>\n");
